#include "tests/support/xls_fixture.h"

#include "tests/support/python_script.h"

#include <stdexcept>

namespace hz::test {

namespace {

const char* const kReferenceScript = R"PY(
import datetime, struct, sys
import xlwt
from xlwt import Cell

path, dates1904 = sys.argv[1], sys.argv[2] == '1'
shift = 1462 if dates1904 else 0

# Cached formula results, which xlwt leaves empty: (row, col) -> (8 result bytes, text of a STRING record or None).
cached = {}
plain_formula_data = Cell.FormulaCell.get_biff_data
def formula_data(self):
    data = plain_formula_data(self)
    if (self.rowx, self.colx) not in cached:
        return data
    result, text = cached[(self.rowx, self.colx)]
    data = data[:10] + result + data[18:]
    if text is not None:
        chars = text.encode('utf-16-le')
        # A STRING record holds at most 8224 bytes; the rest goes into CONTINUE records with their own option byte.
        first = 4110 * 2
        data += struct.pack('<HHHB', 0x0207, 3 + len(chars[:first]), len(text), 1) + chars[:first]
        rest = chars[first:]
        while rest:
            data += struct.pack('<HHB', 0x003C, 1 + len(rest[:8000]), 1) + rest[:8000]
            rest = rest[8000:]
    return data
Cell.FormulaCell.get_biff_data = formula_data

# Excel marks a workbook whose formulas it calculated with a RECALCID record in the globals; xlwt writes none.
plain_write_access = xlwt.BIFFRecords.WriteAccessRecord.get
def write_access_and_recalc_id(self):
    return plain_write_access(self) + struct.pack('<HHHHI', 0x01C1, 8, 0x01C1, 0, 0x0002E4C1)
xlwt.BIFFRecords.WriteAccessRecord.get = write_access_and_recalc_id

def special(kind, value=0):
    return struct.pack('<BBBBHH', kind, 0, value, 0, 0, 0xFFFF)

wb = xlwt.Workbook(encoding='utf-8')
wb.dates_1904 = dates1904
data = wb.add_sheet('数据')
hidden = wb.add_sheet('Hidden')
hidden.visibility = 1
third = wb.add_sheet('第三页')
chart = wb.add_sheet('图表')

date = xlwt.easyxf(num_format_str='yyyy-mm-dd')
datetime_format = xlwt.easyxf(num_format_str='yyyy-mm-dd hh:mm:ss')
time = xlwt.easyxf(num_format_str='hh:mm:ss')
chinese_date = xlwt.easyxf(num_format_str='yyyy"年"m"月"d"日"')

for col, value in enumerate([12, 0.5, '文本', -7, 123456789, 1234567.891]):
    data.write(0, col, value)

data.write(1, 0, datetime.date(2024, 1, 31), date)
data.write(1, 1, datetime.datetime(2024, 2, 29, 13, 45, 30), datetime_format)
data.write(1, 2, datetime.time(6, 0, 0), time)
data.write(1, 3, 45322.75 - shift, date)
for col, serial in [(4, 1), (5, 60), (6, 61)]:
    data.write(1, col, serial, date)

data.write(2, 0, True)
data.write(2, 1, False)
for col, code in [(2, 0x2A), (3, 0x07), (4, 0x00)]:
    data.row(2).set_cell_error(col, code)

formulas = [
    (0, 'A1+3', None, struct.pack('<d', 3.5), None),
    (1, '"合"&"计"', None, special(0), '合计'),
    (2, '1=1', None, special(1, 1), None),
    (3, 'NA()', None, special(2, 0x17), None),
    (4, '""', None, special(3), None),
    (5, 'DATE(2024,1,31)', date, struct.pack('<d', 45322 - shift), None),
    (6, 'REPT("长",5000)', None, special(0), '长' * 5000),
]
for col, text, style, result, string in formulas:
    cached[(3, col)] = (result, string)
    if style:
        data.write(3, col, xlwt.Formula(text), style)
    else:
        data.write(3, col, xlwt.Formula(text))

data.write(4, 0, 45322 - shift, chinese_date)

hidden.write(0, 0, '隐藏')
third.write(5, 3, 'x')
chart.write(0, 0, 'c')
wb.save(path)
)PY";

const char* const kDumpScript = R"PY(
import datetime, sys
import openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb.worksheets:
    print('sheet', ws.title, ws.sheet_state)
    for row in ws.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            value = cell.value
            if isinstance(value, (datetime.datetime, datetime.time)):
                value = value.isoformat()
            if isinstance(value, str) and len(value) > 40:
                value = '%s... (%d characters)' % (value[:3], len(value))
            print(cell.coordinate, cell.data_type, repr(value), cell.number_format)
)PY";

} // namespace

void WriteReferenceXls(const std::string& path, bool dates1904) {
    WriteWithPython(path, kReferenceScript, {dates1904 ? "1" : "0"});
}

std::string DumpXlsxWithOpenpyxl(const std::string& path) {
    const ProgramResult result = RunPython(kDumpScript, {path});
    if (result.status != 0)
        throw std::runtime_error("openpyxl could not read " + path + ": " + result.err);
    return result.out;
}

} // namespace hz::test
