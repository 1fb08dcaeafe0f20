#include <gtest/gtest.h>

#include <vector>

#include "LineAssembly.h"

namespace {

struct Assembly {
    LineAssembly lines;
    std::vector<std::u16string> shown;

    void Walk(std::u16string_view text)
    {
        lines.Walk(text, [this](std::u16string_view line) { shown.emplace_back(line); });
    }
};

using Lines = std::vector<std::u16string>;

} // namespace

TEST(LineAssembly, LineEndsPairUp)
{
    Assembly a;
    a.Walk(u"AB\r");
    EXPECT_EQ(a.shown, Lines{u"AB"});

    Assembly crlf;
    crlf.Walk(u"OK\r\nNEXT\n\r");
    EXPECT_EQ(crlf.shown, (Lines{u"OK", u"NEXT"}));

    // A third line end in a row ends another line, so three LF give two.
    Assembly lf;
    lf.Walk(u"X\n\n\n");
    EXPECT_EQ(lf.shown, (Lines{u"X", u""}));

    Assembly cr;
    cr.Walk(u"\r\r\r\r");
    EXPECT_EQ(cr.shown, (Lines{u"", u""}));
}

TEST(LineAssembly, LineSplitOverWalksIsShownOnlyWhenItEnds)
{
    Assembly a;
    a.Walk(u"A");
    EXPECT_TRUE(a.shown.empty());
    EXPECT_EQ(a.lines.PendingLine, u"A");
    a.Walk(u"B\r");
    EXPECT_EQ(a.shown, Lines{u"AB"});
    EXPECT_TRUE(a.lines.PendingLine.empty());

    // A CR at the end of one walk and an LF at the start of the next are two
    // line ends: the pairing only looks within one text.
    a.Walk(u"C\r");
    a.Walk(u"\n");
    EXPECT_EQ(a.shown, (Lines{u"AB", u"C", u""}));
}

TEST(LineAssembly, ControlCharactersAreDroppedOthersKept)
{
    Assembly a;
    a.Walk(std::u16string(u"A\a\0\x1B\tB\x7F\uFF71あ\uFFFD\r", 11));
    EXPECT_EQ(a.shown, Lines{u"AB\x7F\uFF71あ\uFFFD"});
}

TEST(LineAssembly, EndlessLineIsShownInPiecesWithoutLosingCharacters)
{
    Assembly a;
    std::u16string text(LineAssembly::PENDING_LIMIT * 2 + 10, u'x');
    a.Walk(text);
    ASSERT_EQ(a.shown.size(), 2u);
    EXPECT_EQ(a.shown[0].size(), LineAssembly::PENDING_LIMIT);
    EXPECT_EQ(a.lines.PendingLine.size(), 10u);

    // A line of exactly the limit is one line, with no empty line after it.
    Assembly exact;
    exact.Walk(std::u16string(LineAssembly::PENDING_LIMIT, u'y') + u"\r\n");
    ASSERT_EQ(exact.shown.size(), 1u);
    EXPECT_EQ(exact.shown[0].size(), LineAssembly::PENDING_LIMIT);
}
