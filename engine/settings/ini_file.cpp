#include "engine/settings/ini_file.h"

#include "engine/messages/run_error.h"
#include "engine/platform/code_page_936.h"
#include "engine/platform/file_access.h"
#include "engine/platform/file_path.h"
#include "engine/platform/file_replace.h"
#include "engine/platform/folder_entries.h"
#include "engine/platform/temporary_file.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace hz {
namespace {

constexpr qsizetype MaxFileBytes = 1024 * 1024;
const QByteArray Utf8ByteOrderMark("\xEF\xBB\xBF");

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

// Blanks at the ends, as Windows trims them; other white space (an ideographic blank) stays part of the text.
QStringView TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

bool IsQuoted(QStringView text) {
    return text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front();
}

std::optional<QStringView> SectionName(QStringView text) {
    const QStringView trimmed = TrimBlanks(text);
    if (!trimmed.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(u']');
    return TrimBlanks(trimmed.sliced(1, (close < 0 ? trimmed.size() : close) - 1));
}

// The key of a key=value line; nothing for sections, comments and other lines.
std::optional<QStringView> KeyName(QStringView text) {
    const QStringView trimmed = TrimBlanks(text);
    const qsizetype equals = trimmed.indexOf(u'=');
    if (trimmed.startsWith(u'[') || trimmed.startsWith(u';') || equals <= 0) {
        return std::nullopt;
    }
    return TrimBlanks(trimmed.first(equals));
}

bool SameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Quoted(const QString& value) {
    if (TrimBlanks(value).size() != value.size() || IsQuoted(value)) {
        return u'"' + value + u'"';
    }
    return value;
}

QString FileText(const QString& fileName) {
    return QStringLiteral("设置文件 ") + fileName;
}

// Removes the temporary file unless it was renamed into place.
class TemporaryFileGuard {
public:
    explicit TemporaryFileGuard(TemporaryFile& temporary) : temporary(temporary) {}
    ~TemporaryFileGuard() {
        if (!renamed) {
            temporary.file.Close();
            RemoveFile(temporary.path);
        }
    }
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
    void Renamed() { renamed = true; }

private:
    TemporaryFile& temporary;
    bool renamed = false;
};

} // namespace

IniFile IniFile::Load(const QString& path) {
    if (!QFileInfo::exists(path)) {
        IniFile empty;
        empty.fileName = path;
        return empty;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw RunError((QStringLiteral("无法读取") + FileText(path) + u'：' + file.errorString()).toStdString());
    }
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        throw RunError((QStringLiteral("无法读取") + FileText(path) + u'：' + file.errorString()).toStdString());
    }
    if (bytes.size() > MaxFileBytes) {
        throw RunError((FileText(path) + QStringLiteral(" 大于 1 MB，不是设置文件")).toStdString());
    }
    return FromBytes(path, bytes);
}

IniFile IniFile::FromBytes(const QString& fileName, const QByteArray& bytes) {
    IniFile ini;
    ini.fileName = fileName;
    QByteArrayView rest = bytes;
    if (IsValidUtf8(bytes)) {
        if (rest.startsWith(Utf8ByteOrderMark)) {
            ini.byteOrderMark = Utf8ByteOrderMark;
            rest = rest.sliced(Utf8ByteOrderMark.size());
        }
    } else {
        ini.encoding = Encoding::CodePage936;
    }
    while (!rest.isEmpty()) {
        Line line;
        const qsizetype newline = rest.indexOf('\n');
        line.bytes = (newline < 0 ? rest : rest.first(newline)).toByteArray();
        if (newline >= 0) {
            line.lineBreak = "\n";
            if (line.bytes.endsWith('\r')) {
                line.bytes.chop(1);
                line.lineBreak = "\r\n";
            }
        }
        rest = newline < 0 ? QByteArrayView() : rest.sliced(newline + 1);
        if (ini.encoding == Encoding::Utf8) {
            line.text = QString::fromUtf8(line.bytes);
        } else if (const auto text = DecodeCodePage936(line.bytes)) {
            line.text = *text;
        } else {
            throw RunError((FileText(fileName) +
                            QStringLiteral(" 的第 %1 行既不是 UTF-8 也不是代码页 936 的文本").arg(ini.lines.size() + 1))
                               .toStdString());
        }
        ini.lines.push_back(std::move(line));
    }
    return ini;
}

qsizetype IniFile::FindSection(QStringView section) const {
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines.size()); ++i) {
        const auto name = SectionName(lines[i].text);
        if (name && SameName(*name, section)) {
            return i;
        }
    }
    return -1;
}

qsizetype IniFile::FindKey(qsizetype sectionLine, QStringView key) const {
    for (qsizetype i = sectionLine + 1; i < static_cast<qsizetype>(lines.size()); ++i) {
        if (SectionName(lines[i].text)) {
            break;
        }
        const auto name = KeyName(lines[i].text);
        if (name && SameName(*name, key)) {
            return i;
        }
    }
    return -1;
}

qsizetype IniFile::SectionEnd(qsizetype sectionLine) const {
    qsizetype end = sectionLine + 1;
    for (qsizetype i = sectionLine + 1; i < static_cast<qsizetype>(lines.size()); ++i) {
        if (SectionName(lines[i].text)) {
            break;
        }
        if (!TrimBlanks(lines[i].text).isEmpty()) {
            end = i + 1;
        }
    }
    return end;
}

QString IniFile::Value(QStringView section, QStringView key, const QString& defaultValue) const {
    const qsizetype sectionLine = FindSection(section);
    const qsizetype keyLine = sectionLine < 0 ? -1 : FindKey(sectionLine, key);
    if (keyLine < 0) {
        return defaultValue;
    }
    const QStringView text = lines[keyLine].text;
    QStringView value = TrimBlanks(text.sliced(text.indexOf(u'=') + 1));
    if (IsQuoted(value)) {
        value = value.sliced(1, value.size() - 2);
    }
    return value.toString();
}

QByteArray IniFile::Encode(const QString& text, QStringView key) const {
    if (encoding == Encoding::Utf8) {
        return text.toUtf8();
    }
    if (auto bytes = EncodeCodePage936(text)) {
        return *bytes;
    }
    throw RunError((FileText(fileName) + QStringLiteral(" 按代码页 936 保存，") + key.toString() +
                    QStringLiteral(" 的值含有该代码页没有的字符"))
                       .toStdString());
}

QByteArray IniFile::NewLineBreak() const {
    for (const Line& line : lines) {
        if (!line.lineBreak.isEmpty()) {
            return line.lineBreak;
        }
    }
#ifdef Q_OS_WIN
    return "\r\n";
#else
    return "\n";
#endif
}

void IniFile::InsertLine(qsizetype index, const QByteArray& bytes) {
    const QByteArray lineBreak = NewLineBreak();
    if (index > 0 && lines[index - 1].lineBreak.isEmpty()) {
        lines[index - 1].lineBreak = lineBreak;
    }
    Line line{bytes, lineBreak, QString()};
    line.text = encoding == Encoding::Utf8 ? QString::fromUtf8(bytes) : DecodeCodePage936(bytes).value_or(QString());
    lines.insert(lines.begin() + index, std::move(line));
}

void IniFile::SetValue(QStringView section, QStringView key, const QString& value) {
    Q_ASSERT(!section.contains(u']') && !key.contains(u'='));
    if (value.contains(u'\n') || value.contains(u'\r')) {
        throw RunError(
            (FileText(fileName) + QStringLiteral("：") + key.toString() + QStringLiteral(" 的值不能含有换行符"))
                .toStdString());
    }
    const QByteArray valueBytes = Encode(Quoted(value), key);
    qsizetype sectionLine = FindSection(section);
    if (sectionLine < 0) {
        const QByteArray header = Encode(u'[' + section.toString() + u']', key);
        InsertLine(static_cast<qsizetype>(lines.size()), header);
        sectionLine = static_cast<qsizetype>(lines.size()) - 1;
    }
    const qsizetype keyLine = FindKey(sectionLine, key);
    if (keyLine < 0) {
        InsertLine(SectionEnd(sectionLine), Encode(key.toString() + u'=', key) + valueBytes);
        return;
    }
    // Everything up to the "=" and the blanks after it stays as the file has it. A "=" byte never occurs
    // inside a multi-byte character of UTF-8 or code page 936, so the first one is the key's.
    Line& line = lines[keyLine];
    qsizetype prefix = line.bytes.indexOf('=') + 1;
    while (prefix < line.bytes.size() && (line.bytes[prefix] == ' ' || line.bytes[prefix] == '\t')) {
        ++prefix;
    }
    line.bytes = line.bytes.first(prefix) + valueBytes;
    line.text = line.text.first(line.text.indexOf(u'=') + 1) + Quoted(value);
}

QByteArray IniFile::Bytes() const {
    QByteArray bytes = byteOrderMark;
    for (const Line& line : lines) {
        bytes += line.bytes;
        bytes += line.lineBreak;
    }
    return bytes;
}

void IniFile::Save(const QString& path, Access access) const {
    const auto fail = [&](const SystemError& error) {
        throw RunError(
            (QStringLiteral("无法保存") + FileText(path) + u'：' + QString::fromStdString(error.text)).toStdString());
    };
    // A symbolic link stays one: the file it names is replaced.
    const std::string given = path.toStdString();
    const SystemResult<std::string> resolved = ResolvePath(given);
    const bool existed = !resolved.error;
    const std::string target = existed ? resolved.value : given;
    FileHandle original;
    if (existed) {
        if (const SystemError error = original.Open(target, FileOpen::Read)) {
            fail(error);
        }
    }
    const PathParts parts = SplitPath(target);
    SystemResult<TemporaryFile> created = CreateTemporaryFile(parts.folder, parts.name + ".", NewFileAccess::OwnerOnly);
    if (created.error) {
        fail(created.error);
    }
    TemporaryFile& temporary = created.value;
    TemporaryFileGuard guard(temporary);
    // The temporary file takes the original's permissions. A new file may come to hold the password, and a secret
    // must not be readable by others even for a moment: both are tightened before the rename.
    if (existed) {
        if (const SystemError error = TakeAccessOf(temporary.file, original)) {
            fail(error);
        }
    }
    if (!existed || access == Access::OwnerOnly) {
        if (const SystemError error = MakeOwnerOnly(temporary.file)) {
            fail(error);
        }
    }
    const QByteArray bytes = Bytes();
    SystemError error = temporary.file.WriteAt(0, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!error) {
        error = temporary.file.Sync();
    }
    temporary.file.Close();
    original.Close();
    if (!error) {
        error = MoveIntoPlace(temporary.path, target);
    }
    if (error) {
        fail(error);
    }
    guard.Renamed();
}

} // namespace hz
