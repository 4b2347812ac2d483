#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

namespace hz {

// A Windows INI file held line by line, so that writing a key rewrites that one line and keeps every other byte
// of the file as it was.
//
// Reading follows Windows: section and key names match without regard to case, the first section and the first
// key of a name count, blanks around the value are trimmed, one pair of enclosing quotes is removed, and lines
// starting with ";" are comments.
//
// Encoding: a file that is valid UTF-8 is UTF-8; any other file is read as code page 936, the ANSI code page in
// which the original program wrote it. A change is written in the file's own encoding, so that a code page 936
// file stays readable to the original program; a new file is UTF-8 (identical to code page 936 while it holds
// ASCII only).
class IniFile {
public:
    enum class Encoding { Utf8, CodePage936 };

    // The file at path; a missing file is an empty one. Throws RunError when the file cannot be read, is larger
    // than any settings file (1 MiB), or is neither UTF-8 nor code page 936.
    static IniFile Load(const QString& path);

    // The value, or defaultValue when the section or the key is missing.
    QString Value(QStringView section, QStringView key, const QString& defaultValue = {}) const;
    // Replaces the value of an existing key in place, or adds the key at the end of its section, or the section
    // at the end of the file. A value with blanks at its ends or enclosed in quotes is written in quotes so that
    // it reads back as it is. Throws RunError when the value holds a line break, or a character that a code page
    // 936 file cannot hold; the file is then unchanged.
    void SetValue(QStringView section, QStringView key, const QString& value);

    Encoding FileEncoding() const { return encoding; }
    QByteArray Bytes() const;
    // Who may read the saved file besides what it allowed before.
    enum class Access {
        Keep,      // an existing file keeps its permissions
        OwnerOnly, // group and others lose every right: the file holds a secret
    };

    // Writes the file atomically (a temporary file in the same folder, flushed, renamed over path), so that the
    // new content and the new permissions arrive together. A file that did not exist is created readable and
    // writable by its owner only. Throws RunError.
    void Save(const QString& path, Access access = Access::Keep) const;

private:
    struct Line {
        QByteArray bytes;     // without the line break
        QByteArray lineBreak; // "\r\n", "\n" or empty on the last line
        QString text;         // bytes decoded
    };

    QString fileName;
    Encoding encoding = Encoding::Utf8;
    QByteArray byteOrderMark;
    std::vector<Line> lines;

    static IniFile FromBytes(const QString& fileName, const QByteArray& bytes);
    // Index of the header line of the first section of that name, or -1.
    qsizetype FindSection(QStringView section) const;
    // Index of the first line of that key in the section whose header is at sectionLine, or -1.
    qsizetype FindKey(qsizetype sectionLine, QStringView key) const;
    // Index just past the last line of the section that is not blank.
    qsizetype SectionEnd(qsizetype sectionLine) const;
    QByteArray Encode(const QString& text, QStringView key) const;
    QByteArray NewLineBreak() const;
    void InsertLine(qsizetype index, const QByteArray& bytes);
};

} // namespace hz
