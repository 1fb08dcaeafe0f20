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

    // A line end split over two walks pairs as it does within one, so a
    // device sending a character a packet is not double-spaced.
    a.Walk(u"OK\r");
    a.Walk(u"\nNEXT\r");
    for (char16_t c : std::u16string_view(u"ONE\r\n\n\nTWO\r\n"))
        a.Walk(std::u16string(1, c));
    EXPECT_EQ(a.shown, (Lines{u"AB", u"OK", u"NEXT", u"ONE", u"", u"TWO"}));
    // Opening the device again forgets a line end waiting for its pair.
    a.Walk(u"X\r");
    a.lines.Discard();
    a.Walk(u"\nY\r");
    EXPECT_EQ(a.shown.back(), u"Y");
    EXPECT_EQ(a.shown.size(), 9u);
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
