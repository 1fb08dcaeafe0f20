#include <gtest/gtest.h>

#include "Pattern.h"

namespace {

std::shared_ptr<const Pattern> Compiled(std::u16string_view expression)
{
    return std::get<std::shared_ptr<const Pattern>>(Pattern::Compile(expression));
}

} // namespace

TEST(Pattern, WorkBeyondTheLimitsIsNeitherAMatchNorNoneAndOrdinaryPatternsNeverReachThem)
{
    EXPECT_EQ(Compiled(u"(\\w+\\s?)+:|FAIL")->Search(u"temp sensor reading value offset FAIL"),
              Pattern::Found::TooMuchWork);
    std::vector<std::u16string> lines;
    for (int i = 0; i < 20'000; ++i)
        lines.push_back(i % 4 == 0   ? u"LINE " + std::u16string(i % 10 + 1, u'7')
                        : i % 4 == 1 ? u"heap: 1024 free, temp=23.5 # ok, ERR " + std::u16string(i % 30, u'x')
                        : i % 4 == 2 ? std::u16string(2047, u'a') + u"b"
                                     : std::u16string(1000, u'0') + u": " + std::u16string(1000, u'F'));
    for (const char16_t* ordinary : {u"^LINE \\d+$", u"(?i)err|fail|panic", u".*FAIL.*", u"^(.*),(.*)$",
                                     u"temp=(\\d+\\.\\d+)", u"^\\s*(\\w+):\\s*(\\d+)", u"^.*b.*$", u"a+b"}) {
        const auto pattern = Compiled(ordinary);
        for (const std::u16string& line : lines)
            ASSERT_NE(pattern->Search(line), Pattern::Found::TooMuchWork);
    }
}
