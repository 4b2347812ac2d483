#include "engine/workbook/xml/byte_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace hz {
namespace {

TEST(ByteScanTest, ByteAtATimeSearchesFindWhatTheirNamesSay) {
    std::string name = std::string("x:ab\xE4\xB8\xAD=1") + std::string(40, '\0');
    byte_scan::NameScan scan = byte_scan::portable::ScanName(name.data());
    EXPECT_EQ(scan.end - name.data(), 7);
    EXPECT_TRUE(scan.hasColon);
    EXPECT_TRUE(scan.hasNonAscii);
    for (char end : {' ', '\t', '/', '<', '=', '>', '"', '\'', '&', '!', '#', '$', '%', '\0'}) {
        std::string text = std::string("name") + end + std::string(40, '\0');
        EXPECT_EQ(byte_scan::portable::ScanName(text.data()).end - text.data(), 4) << int(end);
    }
    std::string text = std::string("plain text; \"quoted\" 'too'\xC3\xA9") + std::string(40, '\0');
    EXPECT_EQ(byte_scan::portable::FindTextSpecial(text.data()) - text.data(), 26);
    EXPECT_EQ(byte_scan::portable::FindValueSpecial(text.data(), '"') - text.data(), 12);
    EXPECT_EQ(byte_scan::portable::FindValueSpecial(text.data(), '\'') - text.data(), 21);
}

// The block-wise searches must agree with the byte-at-a-time ones at every position of every input.
TEST(ByteScanTest, BlockWiseSearchesAgreeWithTheByteAtATimeOnes) {
    const char letters[] = "ab:_- \t\n\r/<=>\"'&!#$%;\x7F\x80\xC3\xE4\xFF";
    const std::string alphabet = std::string(letters, sizeof letters - 1) + '\0';
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string data(1 + random() % 48, 'a');
        for (char& c : data)
            c = alphabet[random() % alphabet.size()];
        data += '\0'; // the zero byte after the data
        data.append(byte_scan::kReadAhead, static_cast<char>(random()));
        for (std::size_t at = 0; at + byte_scan::kReadAhead < data.size(); ++at) {
            const char* p = data.data() + at;
            byte_scan::NameScan fast = byte_scan::ScanName(p);
            byte_scan::NameScan slow = byte_scan::portable::ScanName(p);
            ASSERT_EQ(fast.end, slow.end) << round << " " << at;
            ASSERT_EQ(fast.hasColon, slow.hasColon);
            ASSERT_EQ(fast.hasNonAscii, slow.hasNonAscii);
            ASSERT_EQ(byte_scan::FindTextSpecial(p), byte_scan::portable::FindTextSpecial(p));
            for (char quote : {'"', '\''})
                ASSERT_EQ(byte_scan::FindValueSpecial(p, quote), byte_scan::portable::FindValueSpecial(p, quote));
            byte_scan::TagMasks a = byte_scan::ReadTagMasks(p);
            byte_scan::TagMasks b = byte_scan::portable::ReadTagMasks(p);
            ASSERT_EQ(a.spaces, b.spaces);
            ASSERT_EQ(a.quotes, b.quotes);
            ASSERT_EQ(a.equals, b.equals);
            ASSERT_EQ(a.closes, b.closes);
            ASSERT_EQ(a.slashes, b.slashes);
            ASSERT_EQ(a.others, b.others) << round << " " << at;
        }
    }
}

} // namespace
} // namespace hz
