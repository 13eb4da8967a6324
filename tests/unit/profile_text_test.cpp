#include "platform/profile/text_encoding.h"

#include <gtest/gtest.h>

namespace kumoden::profile {
namespace {

TEST(ProfileText, Utf8ValidityIsStrict)
{
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8(std::string("a\0b", 3)));
    EXPECT_TRUE(isValidUtf8("\xE3\x81\x82"));      // あ
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));  // U+1F600
    EXPECT_FALSE(isValidUtf8("\xC0\x80"));         // overlong NUL
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));     // overlong '/'
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE3\x81"));         // cut short
    EXPECT_FALSE(isValidUtf8("\x82\xA0"));         // あ in CP932
}

TEST(ProfileText, CutNeverSplitsACharacter)
{
    // あい: 3 bytes each in UTF-8.
    EXPECT_EQ(cutAtCharBoundary("\xE3\x81\x82\xE3\x81\x84", 5, TextEncoding::Utf8), 3u);
    EXPECT_EQ(cutAtCharBoundary("\xE3\x81\x82\xE3\x81\x84", 6, TextEncoding::Utf8), 6u);
    EXPECT_EQ(cutAtCharBoundary("\xE3\x81\x82", 2, TextEncoding::Utf8), 0u);
    // ソソ in CP932: the trail byte 0x5C looks like '\', so the cut must
    // count from the start rather than look back.
    EXPECT_EQ(cutAtCharBoundary("\x83\x5C\x83\x5C", 3, TextEncoding::Cp932), 2u);
    EXPECT_EQ(cutAtCharBoundary("a\x83\x5C", 2, TextEncoding::Cp932), 1u);
    // A lead byte without a trail counts alone.
    EXPECT_EQ(cutAtCharBoundary("\x83 \x83", 2, TextEncoding::Cp932), 2u);
}

TEST(ProfileText, Cp932ConversionBothWays)
{
    EXPECT_EQ(cp932ToUtf8("C:\\\x83\x5C\x83\x74\x83\x67"), "C:\\ソフト");
    // Undecodable bytes and a lead byte at the end become U+FFFD.
    EXPECT_EQ(cp932ToUtf8("\x80"
                          "a\xA0\x82"),
              "\xEF\xBF\xBD"
              "a\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(utf8ToCp932("新しい値"), "\x90\x56\x82\xB5\x82\xA2\x92\x6C");
    EXPECT_EQ(utf8ToCp932("\xF0\x9F\x98\x80"), std::nullopt); // no such character in CP932
    EXPECT_EQ(utf8ToCp932("é"), std::nullopt);                // Windows fits it as "e": refused here
    EXPECT_EQ(utf8ToCp932("\xFF"), std::nullopt);
}

TEST(ProfileText, OnlyTheDocumentedBestFitChangesACharacter)
{
    for (const Cp932Fit& fit : kCp932BestFit) {
        const auto bytes = utf8ToCp932(fit.written);
        ASSERT_TRUE(bytes.has_value()) << fit.written;
        EXPECT_EQ(cp932ToUtf8(*bytes), fit.readsAs) << fit.written;
        EXPECT_EQ(cp932ToUtf8(*utf8ToCp932(fit.readsAs)), fit.readsAs) << fit.readsAs;
    }
    EXPECT_EQ(cp932ReadBack("C:¥a〜b"), "C:\\a～b");
    EXPECT_EQ(*utf8ToCp932("¥"), "\\");
}

} // namespace
} // namespace kumoden::profile
