#include <gtest/gtest.h>

#include "devicelink/CodePage.h"

namespace {

std::u16string Decode(CodePageDecoder& decoder, const std::string& bytes)
{
    return decoder.Decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// These cases need code page 932: on Windows, the system's ANSI code page.
struct CodePage932 : ::testing::Test {
    void SetUp() override
    {
        if (!IsLeadByte(0x82))
            GTEST_SKIP() << "the ANSI code page is not 932";
    }
};

} // namespace

TEST_F(CodePage932, DecodesOneAndTwoByteCharacters)
{
    CodePageDecoder decoder;
    // DEL stays DEL (ICU would turn it into a control character), 0x1A and
    // 0x1C stay themselves, half-width katakana are one byte, kanji two.
    EXPECT_EQ(Decode(decoder, "A\x7F\x1A\x1C"), u"A\x7F\x1A\x1C");
    EXPECT_EQ(Decode(decoder, "\xB1\xDF"), u"\uFF71\uFF9F");
    EXPECT_EQ(Decode(decoder, "\x82\xA0\x90\xA2"), u"あ世");
    EXPECT_EQ(Decode(decoder, std::string("\0\r\n", 3)), std::u16string(u"\0\r\n", 3));
    // Code page 932, not plain Shift-JIS: backslash and tilde stay, NEC and
    // IBM extensions are characters.
    EXPECT_EQ(Decode(decoder, "\\~\x87\x40\xFA\x5C"), u"\\~①纊");
}

TEST_F(CodePage932, InvalidBytesBecomeReplacementsWithoutSwallowingLineEnds)
{
    CodePageDecoder decoder;
#ifndef _WIN32 // Windows gives the bytes that code page 932 leaves undefined characters of their own
    EXPECT_EQ(Decode(decoder, "\x80"
                              "A\xA0\xFD"),
              u"\uFFFDA\uFFFD\uFFFD");
#endif
    // A lead byte followed by CR: the CR survives.
    EXPECT_EQ(Decode(decoder, "\x82\rB"), u"\uFFFD\rB");
}

TEST_F(CodePage932, LeadByteAtTheEndWaitsForItsTrailByte)
{
    CodePageDecoder decoder;
    EXPECT_EQ(Decode(decoder, "X\x82"), u"X");
    EXPECT_EQ(Decode(decoder, "\xA0Y"), u"あY");
    // Lead bytes run up to 0xFC, the IBM extensions among them.
    EXPECT_EQ(Decode(decoder, "\xFA"), u"");
    EXPECT_EQ(Decode(decoder, "\x40"), u"ⅰ");

    EXPECT_EQ(Decode(decoder, "\x82"), u"");
    decoder.Reset();
    EXPECT_EQ(Decode(decoder, "\xA0"), u"\uFFFD");
}

TEST_F(CodePage932, EncodesSingleByteLinesAndRefusesWiderCharacters)
{
    EXPECT_EQ(EncodeSingleBytes(u"LED ON\x7F\uFF71"), std::optional<std::string>("LED ON\x7F\xB1"));
    EXPECT_EQ(EncodeSingleBytes(u""), std::optional<std::string>(""));
    EXPECT_FALSE(EncodeSingleBytes(u"Aあ"));
    EXPECT_FALSE(EncodeSingleBytes(u"A\U0001F600"));
    EXPECT_FALSE(EncodeSingleBytes(u"A\xD800"));

    EXPECT_EQ(EncodeCodePage(u"vid_04d8&pid_0011"), "vid_04d8&pid_0011");
    EXPECT_EQ(EncodeCodePage(u"あ\U0001F600x"), "\x82\xA0?x");
    // A lone high surrogate is one character with no code; what follows stays.
    EXPECT_EQ(EncodeCodePage(u"\xD800"
                             u"AB"),
              "?AB");
}

#ifndef _WIN32 // Windows converts its own code page: nothing can be missing
TEST_F(CodePage932, AMissingConverterIsNamedAtStart)
{
    EXPECT_EQ(MissingConverter(), std::nullopt);
    std::optional<std::string> missing = MissingConverter("NO-SUCH-CODE-PAGE");
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->find("no converter for code page 932 (NO-SUCH-CODE-PAGE)"), std::string::npos);
    // Without it every byte still shows, and line ends stay line ends.
    CodePageDecoder decoder("NO-SUCH-CODE-PAGE");
    EXPECT_EQ(Decode(decoder, "A\x82\rB\xB1\n"), u"A\uFFFD\rB\uFFFD\n");
}

TEST(CodePageConverter, OneThatMovesAsciiStillConvertsAPacketOfAsciiAlone)
{
    // Plain Shift-JIS puts a yen sign where ASCII has the backslash.
    CodePageDecoder decoder("SJIS");
    EXPECT_EQ(Decode(decoder, "C:\\"), u"C:\u00A5");
}
#endif

TEST(CodePage1252, WesternLettersAreOneByteAndThereAreNoLeadBytes)
{
    if (IsLeadByte(0x82))
        GTEST_SKIP() << "the ANSI code page is not 1252";
    CodePageDecoder decoder;
    EXPECT_EQ(Decode(decoder, "caf\xE9 \x80\x82\r"), u"café €‚\r");
    EXPECT_EQ(EncodeSingleBytes(u"café €"), std::optional<std::string>("caf\xE9 \x80"));
    EXPECT_FALSE(EncodeSingleBytes(u"あ"));
    EXPECT_FALSE(EncodeSingleBytes(u"\u0101")); // never sent as a look-alike: "ā" is no "a"
    EXPECT_FALSE(EncodeSingleBytes(u"\u221E")); // nor "∞" an "8"
    EXPECT_EQ(EncodeCodePage(u"aあ"), "a?");
}
