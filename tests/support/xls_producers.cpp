#include "tests/support/xls_producers.h"

#include "engine/workbook/little_endian.h"
#include "engine/workbook/xls/biff_records.h"
#include "engine/workbook/xls/compound_file.h"
#include "tests/support/python_script.h"

namespace hz::test {

namespace {

// Runs the fill script on a new openpyxl workbook saved as book.xlsx in a scratch folder, then the command that
// writes the .xls.
const char* const kProducerScript = R"PY(
import datetime, os, shutil, subprocess, sys, tempfile
import openpyxl

path, producer, fmt, chinese, fill = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4] == '1', sys.argv[5]
wb = openpyxl.Workbook()
exec(fill, {'wb': wb, 'datetime': datetime, 'openpyxl': openpyxl})
with tempfile.TemporaryDirectory() as folder:
    source = os.path.join(folder, 'book.xlsx')
    wb.save(source)
    env = dict(os.environ, LC_ALL='C.UTF-8')
    env.pop('WINDOWS_LANGUAGE', None)
    if producer == 'gnumeric':
        if chinese:
            env['WINDOWS_LANGUAGE'] = 'zh_CN'
        command = ['ssconvert', '-T', 'Gnumeric_Excel:' + fmt, source, path]
    else:
        profile = 'file://' + os.path.join(folder, 'profile')
        command = ['soffice', '-env:UserInstallation=' + profile, '--headless', '--convert-to', 'xls:MS Excel 97',
                   '--outdir', folder, source]
    try:
        done = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    except FileNotFoundError:
        sys.exit(command[0] + ' is not installed (scripts/install-deps installs gnumeric)')
    if done.returncode != 0:
        sys.exit(done.stdout.decode(errors='replace'))
    if producer == 'libreoffice':
        shutil.move(os.path.join(folder, 'book.xls'), path)
)PY";

void Produce(const std::string& path, const std::string& producer, const std::string& fillScript,
             const std::string& format, bool chinese) {
    WriteWithPython(path, kProducerScript, {producer, format, chinese ? "1" : "0", fillScript});
}

} // namespace

void WriteXlsWithGnumeric(const std::string& path, const std::string& fillScript, const std::string& format,
                          bool chinese) {
    Produce(path, "gnumeric", fillScript, format, chinese);
}

bool LibreOfficeInstalled() {
    return FixtureToolInstalled("soffice");
}

void WriteXlsWithLibreOffice(const std::string& path, const std::string& fillScript) {
    Produce(path, "libreoffice", fillScript, "-", false);
}

XlsFacts ReadXlsFacts(const std::string& path) {
    CompoundFile file(path);
    XlsFacts facts;
    facts.stream = file.HasStream("Workbook") ? "Workbook" : "Book";
    CompoundStream stream = file.OpenStream(facts.stream);
    BiffReader reader(path, stream, 0);
    BiffRecord record;
    while (reader.Next(record)) {
        if (facts.recordTypes.empty() && record.data.size() >= 2)
            facts.version = ReadU16(record.data, 0);
        if (record.type == biff::kCodePage && record.data.size() >= 2)
            facts.codePage = ReadU16(record.data, 0);
        facts.recordTypes.insert(record.type);
    }
    return facts;
}

} // namespace hz::test
