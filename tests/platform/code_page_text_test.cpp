#include "engine/platform/code_page_text.h"

#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sstream>

namespace hz {
namespace {

CodePageText Opened(unsigned codePage) {
    std::optional<CodePageText> converter = CodePageText::Open(codePage);
    if (!converter)
        throw std::runtime_error("no table for code page " + std::to_string(codePage));
    return std::move(*converter);
}

// Where a byte sequence holds a character the table says which, and where it holds none the text is refused, never
// guessed: an undefined byte, a lead byte cut off, US-ASCII's upper half.
TEST(CodePageText, DecodesWhatTheCodePageDefinesAndRefusesTheRest) {
    struct Case {
        const char* name;
        unsigned codePage;
        std::string bytes;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {"936", 936, "\xCA\xFD\xBE\xDD A1", "数据 A1"},
        {"936 euro sign in one byte", 936, "\x80", "€"},
        {"936 GBK beyond GB2312", 936, "\x81\x40", "丂"},
        {"936 byte that starts no character", 936, "\xCA\xFD\xFF", std::nullopt},
        {"936 lead byte cut off", 936, "\xCA\xFD\xBE", std::nullopt},
        {"936 lead byte with a trail byte that is no trail byte", 936, "\xCA\x20", std::nullopt},
        {"empty", 936, "", ""},
        {"1252", 1252, "caf\xE9 \x80", "café €"},
        {"1252 undefined byte", 1252, "a\x81z", std::nullopt},
        {"1251", 1251, "\xCC\xEE\xF1\xEA\xE2\xE0", "Москва"},
        {"932", 932, "\x93\xFA\x96\x7B", "日本"},
        {"949", 949, "\xC7\xD1\xB1\xB9", "한국"},
        {"950", 950, "\xA4\xA4\xA4\xE5", "中文"},
        {"Mac Roman", 10000, "caf\x8E", "café"},
        {"US-ASCII", 20127, "plain", "plain"},
        {"US-ASCII upper half", 20127, "caf\xE9", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Opened(c.codePage).Decode(c.bytes), c.text);
    }
}

TEST(CodePageText, ReplacesEachByteThatStartsNoCharacterAndReadsOn) {
    struct Case {
        const char* name;
        unsigned codePage;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"936", 936, "\xCA\xFD\xFF\xBE\xDD\xB3", "数\uFFFD据\uFFFD"},
        {"936 lead byte before a byte that cannot follow it", 936, "\xCA\x20\xBE\xDD", "\uFFFD 据"},
        {"1252", 1252, "a\x81z", "a\uFFFDz"},
        {"949 whole", 949, "\xC7\xD1", "한"},
        {"US-ASCII", 20127, "a\xE9z", "a\uFFFDz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Opened(c.codePage).DecodeReplacingInvalid(c.bytes), c.text);
    }
}

// A character without a code has none: no look-alike (best fit) and no question mark stands in for it.
TEST(CodePageText, EncodesOnlyWhatHasACode) {
    struct Case {
        const char* name;
        unsigned codePage;
        std::string text;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {"936", 936, "数据 A1", "\xCA\xFD\xBE\xDD A1"},
        {"936 euro sign", 936, "€", "\x80"},
        {"936 full-width punctuation", 936, "（！）", "\xA3\xA8\xA3\xA1\xA3\xA9"},
        {"936 Korean letter", 936, "한", std::nullopt},
        {"936 won sign", 936, "\u20A9", std::nullopt},
        {"936 outside the BMP", 936, "\U0001F600", std::nullopt},
        {"936 not UTF-8", 936, "\xFF", std::nullopt},
        {"1252", 1252, "café", "caf\xE9"},
        {"1252 no best fit for l with stroke", 1252, "ł", std::nullopt},
        {"1252 Chinese", 1252, "数", std::nullopt},
        {"1252 a C1 control", 1252, "\u0081", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Opened(c.codePage).Encode(c.text), c.bytes);
    }
}

TEST(CodePageText, ACodePageWithoutATableIsNotOpened) {
    EXPECT_FALSE(CodePageText::Open(12345));
    EXPECT_FALSE(CodePageText::Open(0));
}

// Every double-byte code of 936 reads as glibc's table has it, and writes back to itself; the user-defined codes, for
// which glibc has no character, read on Windows as the private-use characters Windows gives them.
TEST(CodePageText, EveryDoubleByteCodeOf936ReadsAsGlibcsTableAndBack) {
    const std::string table = test::ReadFileBytes(HZ_SOURCE_DIR "/tests/platform/data/code_page_936_glibc.txt");
    const CodePageText codePage936 = Opened(936);
    std::istringstream lines(table);
    std::string line;
    int codes = 0;
    int read = 0;
    int privateUse = 0;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string lead;
        fields >> lead;
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            std::string expected;
            ASSERT_TRUE(fields >> expected) << lead;
            const std::string bytes{static_cast<char>(std::stoul(lead, nullptr, 16)), static_cast<char>(trail)};
            const std::optional<std::string> text = codePage936.Decode(bytes);
            ++codes;
            if (expected == "----") {
                // Windows' private-use characters U+E000 to U+F8FF take three bytes of UTF-8, EE 80 80 to EF A3 BF.
                if (text) {
                    EXPECT_TRUE(text->size() == 3 && (text->starts_with("\xEE") || text->starts_with("\xEF\xA0") ||
                                                      text->starts_with("\xEF\xA1") || text->starts_with("\xEF\xA2") ||
                                                      text->starts_with("\xEF\xA3")))
                        << lead << " " << trail;
                    ++privateUse;
                }
                continue;
            }
            ASSERT_TRUE(text) << lead << " " << trail;
            const char32_t unit = static_cast<char32_t>(std::stoul(expected, nullptr, 16));
            std::string utf8;
            if (unit < 0x80) {
                utf8 += static_cast<char>(unit);
            } else if (unit < 0x800) {
                utf8 += static_cast<char>(0xC0 | (unit >> 6));
                utf8 += static_cast<char>(0x80 | (unit & 0x3F));
            } else {
                utf8 += static_cast<char>(0xE0 | (unit >> 12));
                utf8 += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
                utf8 += static_cast<char>(0x80 | (unit & 0x3F));
            }
            EXPECT_EQ(*text, utf8) << lead << " " << trail;
            EXPECT_EQ(codePage936.Encode(*text), bytes) << lead << " " << trail;
            ++read;
        }
    }
    EXPECT_EQ(codes, 126 * 190);
    EXPECT_EQ(read, 21791);
    std::cout << "[ code page ] " << read << " double-byte codes as glibc reads them, " << privateUse
              << " user-defined codes read as private-use characters\n";
}

} // namespace
} // namespace hz
