#include <gtest/gtest.h>

#include "session/Script.h"

TEST(Script, BlanksAfterAStepAreNoPartOfItAndAScriptWithoutStepsIsWrong)
{
    const auto parsed = ParseScript("s", "expect OK \t\nexpect /a / within 1s \nwait 5s \n");
    ASSERT_TRUE(std::holds_alternative<Script>(parsed)) << std::get<std::string>(parsed);
    const std::vector<Step>& steps = std::get<Script>(parsed).tests[0].steps;
    EXPECT_EQ(steps[0].argument, u"OK");
    EXPECT_EQ(steps[1].argument, u"/a /");
    EXPECT_EQ(std::get<std::string>(ParseScript("e", "# nothing but a comment\n\n")), "e:1: no step");
}

TEST(Script, ASendThatOnePacketCannotHoldWithItsCrIsWrong)
{
    EXPECT_TRUE(std::holds_alternative<Script>(ParseScript("s", "send ｱｲｳｴｵ67890123456789\n")));
    EXPECT_EQ(std::get<std::string>(ParseScript("s", "expect x\nsend VERSION QUERY 012345\n")),
              "s:2: 'VERSION QUERY 012345' is 20 characters; one packet holds 19 and its CR");
}
