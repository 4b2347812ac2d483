#include "engine/settings/ini_file.h"

#include "tests/support/run_error_text.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstdlib>
#include <filesystem>

namespace hz {
namespace {

using test::ReadFileBytes;
using test::RunErrorText;
using test::ScratchFolder;
using test::WriteFileBytes;

IniFile LoadText(const ScratchFolder& folder, const std::string& bytes) {
    const std::string path = folder.File("settings.ini");
    WriteFileBytes(path, bytes);
    return IniFile::Load(QString::fromStdString(path));
}

// The text in code page 936, made by the C library's iconv program rather than by the code under test.
std::string ToCodePage936(const ScratchFolder& folder, const std::string& utf8) {
    WriteFileBytes(folder.File("utf8.txt"), utf8);
    const std::string command = "iconv -f UTF-8 -t CP936 " + folder.File("utf8.txt") + " -o " + folder.File("gbk.txt");
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("iconv failed: " + command);
    }
    return ReadFileBytes(folder.File("gbk.txt"));
}

TEST(IniFileRead, FollowsWindowsRules) {
    ScratchFolder folder;
    const IniFile ini = LoadText(folder, "; GServer=commented\r\n"
                                         "[db]\r\n"
                                         "  gserver  =   host one  \r\n"
                                         "GUSER=first\r\n"
                                         "GUser=second\r\n"
                                         "GPassWord=\" a;b \"\r\n"
                                         "GDBName='x'y\r\n"
                                         "no equals sign\r\n"
                                         "[ System ]\n"
                                         "ToolCaption=\n"
                                         "[DB]\n"
                                         "Extra=from the second DB section\n");
    struct Case {
        const char16_t* section;
        const char16_t* key;
        const char* expected;
    };
    const Case cases[] = {
        {u"DB", u"GServer", "host one"},         // names without regard to case, blanks trimmed
        {u"DB", u"GUser", "first"},              // the first key of a name counts
        {u"DB", u"GPassWord", " a;b "},          // enclosing quotes removed, inner blanks kept
        {u"DB", u"GDBName", "'x'y"},             // quotes count only in pairs at both ends
        {u"System", u"ToolCaption", ""},         // present but empty is empty, not the default
        {u"DB", u"Extra", "(default)"},          // a second section of the same name is not read
        {u"DB", u"no equals sign", "(default)"}, // a line without "=" is no key
        {u"Missing", u"GServer", "(default)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.Value(c.section, c.key, QStringLiteral("(default)")).toStdString(), c.expected)
            << QString::fromUtf16(c.key).toStdString();
    }
    EXPECT_EQ(ini.FileEncoding(), IniFile::Encoding::Utf8);
}

TEST(IniFileWrite, ChangesOnlyTheLinesOfTheKeys) {
    ScratchFolder folder;
    const std::string original = "\xEF\xBB\xBF; 设置\r\n"
                                 "[System]\r\n"
                                 "ToolCaption = 我的标题\r\n"
                                 "\r\n"
                                 "[db]\r\n"
                                 "GServer =  old ; not a comment\r\n"
                                 "GUser=sa\r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "k=v";
    IniFile ini = LoadText(folder, original);
    ini.SetValue(u"DB", u"GServer", QStringLiteral("新服务器"));
    ini.SetValue(u"DB", u"GDBName", QStringLiteral("erp"));
    ini.SetValue(u"Log", u"Level", QStringLiteral(" 2 "));
    EXPECT_EQ(ini.Bytes().toStdString(), "\xEF\xBB\xBF; 设置\r\n"
                                         "[System]\r\n"
                                         "ToolCaption = 我的标题\r\n"
                                         "\r\n"
                                         "[db]\r\n"
                                         "GServer =  新服务器\r\n"
                                         "GUser=sa\r\n"
                                         "GDBName=erp\r\n"
                                         "\r\n"
                                         "[Other]\r\n"
                                         "k=v\r\n"
                                         "[Log]\r\n"
                                         "Level=\" 2 \"\r\n");
    EXPECT_EQ(ini.Value(u"log", u"level").toStdString(), " 2 ");
    EXPECT_EQ(ini.Value(u"DB", u"GServer").toStdString(), "新服务器");
}

TEST(IniFileWrite, ValuesReadBackAsWritten) {
    const char* values[] = {"", " lead", "trail ", "\"quoted\"", "'single'", "a=b;c", "\"", "汇账　"};
    ScratchFolder folder;
    IniFile ini = LoadText(folder, "");
    for (const char* value : values) {
        ini.SetValue(u"DB", u"GPassWord", QString::fromUtf8(value));
        ini.Save(QString::fromStdString(folder.File("round.ini")));
        const IniFile reread = IniFile::Load(QString::fromStdString(folder.File("round.ini")));
        EXPECT_EQ(reread.Value(u"DB", u"GPassWord", QStringLiteral("(missing)")).toStdString(), value);
    }
}

TEST(IniFileWrite, RefusesValuesTheFileCannotHold) {
    ScratchFolder folder;
    IniFile utf8 = LoadText(folder, "[DB]\nGUser=a\n");
    const std::string path = folder.File("settings.ini");
    EXPECT_EQ(RunErrorText([&] { utf8.SetValue(u"DB", u"GUser", QStringLiteral("a\nGPassWord=x")); }),
              "设置文件 " + path + "：GUser 的值不能含有换行符");

    IniFile gbk = LoadText(folder, ToCodePage936(folder, "[DB]\nGUser=用户\n"));
    const QByteArray before = gbk.Bytes();
    EXPECT_EQ(RunErrorText([&] { gbk.SetValue(u"DB", u"GUser", QStringLiteral("用户😀")); }),
              "设置文件 " + path + " 按代码页 936 保存，GUser 的值含有该代码页没有的字符");
    EXPECT_EQ(gbk.Bytes(), before);
}

TEST(IniFileCodePage936, ReadsAndKeepsTheOriginalProgramsEncoding) {
    ScratchFolder folder;
    const std::string original = ToCodePage936(folder, "[System]\r\n"
                                                       "ToolCaption=汇账助手 测试版\r\n"
                                                       "[DB]\r\n"
                                                       "GServer=旧服务器\r\n");
    IniFile ini = LoadText(folder, original);
    EXPECT_EQ(ini.FileEncoding(), IniFile::Encoding::CodePage936);
    EXPECT_EQ(ini.Value(u"System", u"ToolCaption").toStdString(), "汇账助手 测试版");
    EXPECT_EQ(ini.Value(u"DB", u"GServer").toStdString(), "旧服务器");

    ini.SetValue(u"DB", u"GServer", QStringLiteral("新服务器"));
    ini.SetValue(u"DB", u"GUser", QStringLiteral("用户"));
    EXPECT_EQ(ini.Bytes().toStdString(), ToCodePage936(folder, "[System]\r\n"
                                                               "ToolCaption=汇账助手 测试版\r\n"
                                                               "[DB]\r\n"
                                                               "GServer=新服务器\r\n"
                                                               "GUser=用户\r\n"));
}

TEST(IniFileLoad, ReportsFilesItCannotUse) {
    ScratchFolder folder;
    const std::string path = folder.File("settings.ini");
    EXPECT_EQ(RunErrorText([&] { LoadText(folder, "[DB]\nGServer=a\n\x81\x20\n"); }),
              "设置文件 " + path + " 的第 3 行既不是 UTF-8 也不是代码页 936 的文本");
    EXPECT_EQ(RunErrorText([&] { LoadText(folder, std::string(1024 * 1024 + 1, ';')); }),
              "设置文件 " + path + " 大于 1 MB，不是设置文件");
    std::filesystem::create_directory(folder.File("folder.ini"));
    EXPECT_NE(RunErrorText([&] {
                  IniFile::Load(QString::fromStdString(folder.File("folder.ini")));
              }).find("无法读取设置文件 " + folder.File("folder.ini") + "："),
              std::string::npos);

    const IniFile missing = IniFile::Load(QString::fromStdString(folder.File("missing.ini")));
    EXPECT_EQ(missing.Value(u"DB", u"GServer", QStringLiteral("default")).toStdString(), "default");
    EXPECT_TRUE(missing.Bytes().isEmpty());
}

TEST(IniFileSave, NewFileIsPrivateExistingFileKeepsItsMode) {
    namespace fs = std::filesystem;
    ScratchFolder folder;
    IniFile ini = IniFile::Load(QString::fromStdString(folder.File("new.ini")));
    ini.SetValue(u"DB", u"GPassWord", QStringLiteral("secret"));
    ini.Save(QString::fromStdString(folder.File("new.ini")));
    EXPECT_EQ(fs::status(folder.File("new.ini")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadFileBytes(folder.File("new.ini")), "[DB]\nGPassWord=secret\n");

    WriteFileBytes(folder.File("shared.ini"), "[DB]\n");
    const auto shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(folder.File("shared.ini"), shared);
    ini.Save(QString::fromStdString(folder.File("shared.ini")));
    EXPECT_EQ(fs::status(folder.File("shared.ini")).permissions() & fs::perms::all, shared);

    const std::string unwritable = folder.File("no such folder/x.ini");
    EXPECT_NE(RunErrorText([&] {
                  ini.Save(QString::fromStdString(unwritable));
              }).find("无法保存设置文件 " + unwritable + "："),
              std::string::npos);
    EXPECT_FALSE(fs::exists(unwritable));
}

TEST(IniFileSave, OwnerOnlyTakesEveryRightFromGroupAndOthers) {
    namespace fs = std::filesystem;
    using enum fs::perms;
    struct Case {
        const char* name;
        fs::perms before;
        fs::perms after;
    };
    const Case cases[] = {
        {"readable by all", owner_read | owner_write | group_read | others_read, owner_read | owner_write},
        {"writable by the group", owner_read | owner_write | group_read | group_write, owner_read | owner_write},
        {"already private", owner_read | owner_write, owner_read | owner_write},
        {"owner may run it", owner_all | group_read | group_exec | others_read | others_exec, owner_all},
        {"owner could not write", owner_read | group_read | others_read, owner_read | owner_write},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        const std::string path = folder.File(std::string(c.name) + ".ini");
        WriteFileBytes(path, "[DB]\nGServer=old\n");
        fs::permissions(path, c.before);
        IniFile ini = IniFile::Load(QString::fromStdString(path));
        ini.SetValue(u"DB", u"GPassWord", QStringLiteral("secret"));
        ini.Save(QString::fromStdString(path), IniFile::Access::OwnerOnly);
        EXPECT_EQ(fs::status(path).permissions() & all, c.after) << c.name;
        EXPECT_EQ(ReadFileBytes(path), "[DB]\nGServer=old\nGPassWord=secret\n") << c.name;
    }
    // Nothing but the settings file is left in the folder: the temporary file was renamed over it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), std::size(cases));
}

} // namespace
} // namespace hz
