#include <gtest/gtest.h>

#include <vector>

#include "session/LineAssembly.h"

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

    // Across reads only a CR LF pair cut in two is one line end; empty reads
    // between do not part it. Any other two line ends in separate reads are
    // two, as a device sends its empty lines: "ECHO" alone gives CR LF and the
    // packet is cut after its CR.
    const std::vector<std::pair<std::vector<std::u16string>, Lines>> cases = {
        {{u"OK\r", u"", u"\nNEXT\r"}, {u"OK", u"NEXT"}},
        {{u"OK\r", u"\r", u"\r", u"\r"}, {u"OK", u"", u"", u""}},
        {{u"A\r", u"\r\n"}, {u"A", u""}},
        {{u"A\n", u"\n", u"\r"}, {u"A", u"", u""}},
        {{u"A\r\r", u"\n"}, {u"A", u""}}, // that CR was the second of a pair
        {{u"O", u"N", u"E", u"\r", u"\n", u"\n", u"\n", u"T", u"W", u"O", u"\r", u"\n"},
         {u"ONE", u"", u"", u"TWO"}},
    };
    for (const auto& [walks, lines] : cases) {
        Assembly split;
        for (const std::u16string& walk : walks)
            split.Walk(walk);
        EXPECT_EQ(split.shown, lines);
    }
    // Opening the device again forgets a line end waiting for its pair.
    a.Walk(u"X\r");
    a.lines.Discard();
    a.Walk(u"\nY\r");
    EXPECT_EQ(a.shown, (Lines{u"AB", u"X", u"", u"Y"}));
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
