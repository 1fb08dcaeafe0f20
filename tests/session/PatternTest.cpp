#include <gtest/gtest.h>

#include "session/Pattern.h"

TEST(Pattern, OrdinaryPatternsNeverReachTheLimitsOnTheLongestLines)
{
    auto search = [](std::u16string_view expression, std::u16string_view line) {
        return std::get<std::shared_ptr<const Pattern>>(Pattern::Compile(expression))->Search(line);
    };
    for (const char16_t* ordinary : {u"^LINE \\d+$", u"(?i)err|fail", u".*FAIL.*", u"^(.*),(.*)$", u"^.*b.*$",
                                     u"^\\s*(\\w+):\\s*(\\d+)", u"temp=(\\d+\\.\\d+)", u"a+b"})
        for (const std::u16string& line :
             {std::u16string(2047, u'a') + u"b", std::u16string(u"heap: 1, ERR 3")})
            EXPECT_NE(search(ordinary, line), Pattern::Found::TooMuchWork) << line.size();
}
