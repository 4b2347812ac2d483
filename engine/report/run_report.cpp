#include "engine/report/run_report.h"

#include "engine/messages/run_error.h"
#include "engine/workbook/excel_escape_encoding.h"
#include "engine/workbook/package/atomic_file.h"
#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xml/xml_document.h"

#include <QChar>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <xlsxwriter.h>

namespace hz {

namespace {

const char* const kSheetHeader = "工作表";
const char* const kRowHeader = "行";
const char* const kTextHeader = "消息";
const char* const kSheetName = "消息";

// Excel's limits: characters in a cell, rows in a worksheet (one of them the header).
constexpr qsizetype kMaxCellCharacters = 32767;
constexpr std::size_t kMaxMessageRows = 1048576 - 1;

// Column widths in characters, East Asian wide characters counting two.
constexpr int kColumnPadding = 2;
constexpr int kMaxColumnWidth = 100;

[[noreturn]] void ThrowReportError(const std::string& path, const std::string& problem) {
    throw RunError("无法写入报告文件“" + path + "”：" + problem);
}

// The report's file is no workbook: another program holding it open is a failure as any other.
[[noreturn]] void ThrowReportFileError(const std::string& path, const std::string& problem, SaveFault) {
    ThrowReportError(path, problem);
}

// ---------------------------------------------------------------------------------------------------------------
// CSV

// A field as RFC 4180 has it: enclosed in double quotes, inner quotes doubled, when it holds a comma, a quote or a
// line break.
void AppendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string CsvBytes(const std::vector<RunMessage>& messages) {
    std::string out = "\xEF\xBB\xBF"; // the byte order mark, by which Excel knows UTF-8
    out += std::string(kSheetHeader) + "," + kRowHeader + "," + kTextHeader + "\r\n";
    for (const RunMessage& message : messages) {
        AppendCsvField(out, message.worksheet.toUtf8().toStdString());
        out += ',';
        if (message.HasRow())
            out += std::to_string(message.row);
        out += ',';
        AppendCsvField(out, message.text.toUtf8().toStdString());
        out += "\r\n";
    }
    return out;
}

void WriteAll(const FileHandle& file, const std::string& bytes, const std::string& path) {
    if (const SystemError error = file.WriteAt(0, bytes.data(), bytes.size()))
        ThrowReportError(path, "无法写入文件（" + error.text + "）");
}

// ---------------------------------------------------------------------------------------------------------------
// Column widths

bool IsWide(char32_t c) {
    // East Asian Width W and F (Unicode's EastAsianWidth.txt), in ranges that take in a few unassigned points.
    static constexpr std::pair<char32_t, char32_t> kWide[] = {
        {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
        {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
        {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
        {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
        {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
        {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
        {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
        {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
        {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
        {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x18CFF}, {0x1AFF0, 0x1B2FF}, {0x1F004, 0x1F004},
        {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F},
        {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD},
        {0x30000, 0x3FFFD},
    };
    auto after = std::upper_bound(std::begin(kWide), std::end(kWide), c,
                                  [](char32_t point, const auto& range) { return point < range.first; });
    return after != std::begin(kWide) && c <= std::prev(after)->second;
}

int CharacterWidth(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Other_Control:
        return 0;
    default:
        return IsWide(c) ? 2 : 1;
    }
}

// The width of the text's longest line, counted up to limit.
int DisplayWidth(const QString& text, int limit) {
    int widest = 0;
    int line = 0;
    for (char32_t c : text.toUcs4()) {
        if (c == '\n' || c == '\r') {
            line = 0;
            continue;
        }
        line += CharacterWidth(c);
        widest = std::max(widest, line);
        if (widest >= limit)
            return limit;
    }
    return widest;
}

struct ColumnWidths {
    int sheet;
    int row;
    int text;
};

ColumnWidths WidthsOf(const std::vector<RunMessage>& messages) {
    const int limit = kMaxColumnWidth - kColumnPadding;
    ColumnWidths widths{DisplayWidth(QString::fromUtf8(kSheetHeader), limit),
                        DisplayWidth(QString::fromUtf8(kRowHeader), limit),
                        DisplayWidth(QString::fromUtf8(kTextHeader), limit)};
    for (const RunMessage& message : messages) {
        widths.sheet = std::max(widths.sheet, DisplayWidth(message.worksheet, limit));
        if (message.HasRow())
            widths.row = std::max(widths.row, static_cast<int>(std::to_string(message.row).size()));
        widths.text = std::max(widths.text, DisplayWidth(message.text, limit));
    }
    widths.sheet += kColumnPadding;
    widths.row += kColumnPadding;
    widths.text += kColumnPadding;
    return widths;
}

// ---------------------------------------------------------------------------------------------------------------
// XLSX

std::size_t Utf8Length(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The text for libxlsxwriter, which writes it as it is into the <t> element but for the control characters it
// escapes itself: Excel's escapes for what XML cannot hold, and an underscore that would otherwise read as the
// start of an escape escaped too. Text beyond the characters that a cell holds is cut off with a note that says
// how much is missing.
std::string CellText(const QString& text) {
    std::string encoded = EncodeExcelEscapes(text.toUtf8().toStdString());
    if (text.size() <= kMaxCellCharacters && Utf8Length(encoded) <= static_cast<std::size_t>(kMaxCellCharacters))
        return encoded;
    qsizetype keep = kMaxCellCharacters;
    while (keep > 0) {
        qsizetype kept = std::min(keep, text.size());
        if (kept > 0 && text.at(kept - 1).isHighSurrogate())
            --kept;
        // Characters, not UTF-16 units: a character beyond the Basic Multilingual Plane is one.
        qsizetype missing = text.size() - kept -
                            std::count_if(text.begin() + kept, text.end(), [](QChar c) { return c.isLowSurrogate(); });
        QString cut = text.left(kept) + QStringLiteral("……（消息过长，其余 %1 个字符未写入）").arg(missing);
        encoded = EncodeExcelEscapes(cut.toUtf8().toStdString());
        qsizetype excess =
            std::max(cut.size() - kMaxCellCharacters, static_cast<qsizetype>(Utf8Length(encoded)) - kMaxCellCharacters);
        if (excess <= 0)
            return encoded;
        keep = kept - excess;
    }
    return EncodeExcelEscapes(QStringLiteral("（消息过长，未写入）").toUtf8().toStdString());
}

struct WorkbookDeleter {
    void operator()(lxw_workbook* book) const { lxw_workbook_free(book); }
};

class XlsxReportWriter {
public:
    XlsxReportWriter(const std::string& path, const std::string& temporaryPath)
        : path(path), temporaryPath(temporaryPath) {
        lxw_workbook_options options = {};
        // Rows go to disk one by one instead of piling up in memory.
        options.constant_memory = LXW_TRUE;
        book.reset(workbook_new_opt(temporaryPath.c_str(), &options));
        if (!book)
            Fail("无法创建工作簿");
    }

    void Write(const std::vector<RunMessage>& messages) {
        if (messages.size() > kMaxMessageRows)
            Fail("消息有 " + std::to_string(messages.size()) + " 条，超过了一个工作表能容纳的 " +
                 std::to_string(kMaxMessageRows) + " 条；请将报告写成 .csv 文件");
        lxw_format* header = workbook_add_format(book.get());
        lxw_format* cell = workbook_add_format(book.get());
        lxw_format* lines = workbook_add_format(book.get());
        lxw_worksheet* sheet = workbook_add_worksheet(book.get(), kSheetName);
        if (!header || !cell || !lines || !sheet)
            Fail("内存不足");
        format_set_bold(header);
        // A message of several lines shows them all; the cells beside it stand at its top.
        format_set_align(cell, LXW_ALIGN_VERTICAL_TOP);
        format_set_align(lines, LXW_ALIGN_VERTICAL_TOP);
        format_set_text_wrap(lines);

        ColumnWidths widths = WidthsOf(messages);
        Check(worksheet_set_column(sheet, 0, 0, widths.sheet, nullptr), "无法设置列宽");
        Check(worksheet_set_column(sheet, 1, 1, widths.row, nullptr), "无法设置列宽");
        Check(worksheet_set_column(sheet, 2, 2, widths.text, nullptr), "无法设置列宽");
        worksheet_freeze_panes(sheet, 1, 0);

        Check(worksheet_write_string(sheet, 0, 0, kSheetHeader, header), "无法写入标题行");
        Check(worksheet_write_string(sheet, 0, 1, kRowHeader, header), "无法写入标题行");
        Check(worksheet_write_string(sheet, 0, 2, kTextHeader, header), "无法写入标题行");
        lxw_row_t row = 0;
        lxw_row_t lastRow = 0; // the last with a cell: a message without text, worksheet and row has none
        for (const RunMessage& message : messages) {
            ++row;
            const std::string where = "无法写入第 " + std::to_string(row + 1) + " 行";
            if (!message.worksheet.isEmpty()) {
                Check(worksheet_write_string(sheet, row, 0, CellText(message.worksheet).c_str(), cell), where);
                lastRow = row;
            }
            if (message.HasRow()) {
                Check(worksheet_write_number(sheet, row, 1, message.row, cell), where);
                lastRow = row;
            }
            if (!message.text.isEmpty()) {
                bool severalLines = message.text.contains(u'\n') || message.text.contains(u'\r');
                Check(
                    worksheet_write_string(sheet, row, 2, CellText(message.text).c_str(), severalLines ? lines : cell),
                    where);
                lastRow = row;
            }
        }

        lxw_error status = workbook_close(book.release()); // closing frees the workbook, also on failure
        if (status != LXW_NO_ERROR)
            Fail("无法写入文件，文件夹可能不可写或磁盘已满", status);
        CheckWritten(lastRow);
    }

private:
    // libxlsxwriter (1.1.4) does not check its writes to the temporary files in which it assembles the parts:
    // when the temporary folder runs out of space, a part is cut short and closing the workbook succeeds all the
    // same. So the file is read back: every part must be whole XML, and the worksheet must end with the last row
    // written.
    void CheckWritten(lxw_row_t lastRow) const {
        const char* const problem = "写入的文件不完整，临时文件夹或磁盘可能已满";
        try {
            // The file is our own: no bound on its size or on how well it compresses.
            PackageLimits unbounded;
            unbounded.maxPartBytes = UINT64_MAX;
            unbounded.maxTotalBytes = UINT64_MAX;
            unbounded.ratioGraceBytes = UINT64_MAX;
            ZipPackage package(temporaryPath, unbounded);
            bool sheetSeen = false;
            for (const std::string& entry : package.EntryNames()) {
                pugi::xml_document part = ParseXmlPart(package.ReadPart(entry), temporaryPath, entry);
                if (entry != "xl/worksheets/sheet1.xml")
                    continue;
                sheetSeen = true;
                pugi::xml_node rows = ChildByLocalName(part.document_element(), "sheetData");
                pugi::xml_node last = rows.last_child();
                if (LocalName(last.name()) != "row" || last.attribute("r").as_ullong() != lastRow + 1ull)
                    Fail(problem);
            }
            if (!sheetSeen)
                Fail(problem);
        } catch (const WorkbookError&) {
            Fail(problem);
        }
    }

    void Check(lxw_error status, const std::string& problem) const {
        if (status != LXW_NO_ERROR)
            Fail(problem, status);
    }

    [[noreturn]] void Fail(const std::string& problem, lxw_error status = LXW_NO_ERROR) const {
        std::string detail = status != LXW_NO_ERROR ? std::string("（") + lxw_strerror(status) + "）" : "";
        ThrowReportError(path, problem + detail);
    }

    const std::string& path;
    const std::string& temporaryPath;
    std::unique_ptr<lxw_workbook, WorkbookDeleter> book;
};

} // namespace

std::optional<ReportFormat> ReportFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(u"csv", Qt::CaseInsensitive) == 0)
        return ReportFormat::Csv;
    if (suffix.compare(u"xlsx", Qt::CaseInsensitive) == 0)
        return ReportFormat::Xlsx;
    return std::nullopt;
}

void WriteRunReport(const QString& path, const std::vector<RunMessage>& messages) {
    const std::string file = path.toStdString();
    std::optional<ReportFormat> format = ReportFormatOf(path);
    if (!format)
        ThrowReportError(file, "报告只能写成 .csv 或 .xlsx 文件");

    // Written beside the report under a temporary name and renamed over it; removed on any failure.
    AtomicFile target(file, AtomicFile::Missing::Create, ThrowReportFileError);
    switch (*format) {
    case ReportFormat::Csv:
        WriteAll(target.Temporary(), CsvBytes(messages), file);
        break;
    case ReportFormat::Xlsx:
        // libxlsxwriter writes by name: it opens the temporary file again and truncates it, the same file that
        // the handle flushes.
        XlsxReportWriter(file, target.TemporaryPath()).Write(messages);
        break;
    }
    target.Commit();
}

} // namespace hz
