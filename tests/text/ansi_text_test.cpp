#include "engine/text/ansi_text.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

TEST(AnsiByteLength, CountsCodePage936Bytes) {
    struct Case {
        const char* name;
        const char* text;
        qsizetype expected;
    };
    const Case cases[] = {
        {"empty", "", 0},
        {"ascii", "A-01 x", 6},
        {"chinese and ascii", "部门A", 5},
        {"full-width punctuation", "（！）", 6},
        {"latin letter of GBK", "é", 2},
        {"euro sign is one byte", "€5", 2},
        {"not in GBK counts as its question mark", "\u20A9", 1},
        {"outside the BMP counts one", "A\U0001F600B", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AnsiByteLength(QString::fromUtf8(c.text)), c.expected);
    }
    EXPECT_EQ(AnsiByteLength(QString(QChar(0xD800))), 1) << "lone surrogate";
}

TEST(CutToAnsiBytes, NeverSplitsACharacter) {
    struct Case {
        const char* name;
        const char* text;
        qsizetype maxBytes;
        const char* expected;
    };
    const Case cases[] = {
        {"fits whole", "部门A", 5, "部门A"},
        {"stops before a split double byte", "一二三", 5, "一二"},
        {"exact double-byte boundary", "一二三", 4, "一二"},
        {"mixed", "A部B门", 4, "A部B"},
        {"fifteen chinese characters fill 30 bytes", "一二三四五六七八九十一二三四五六", 30,
         "一二三四五六七八九十一二三四五"},
        {"ascii cut", "ABCDEFGH", 3, "ABC"},
        {"surrogate pair kept whole", "A\U0001F600B", 2, "A\U0001F600"},
        {"surrogate pair dropped whole", "A\U0001F600B", 1, "A"},
        {"zero bytes", "部门", 0, ""},
        {"negative limit", "AB", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CutToAnsiBytes(QString::fromUtf8(c.text), c.maxBytes).toStdString(), c.expected);
    }
}

} // namespace
} // namespace hz
