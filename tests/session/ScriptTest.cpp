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

TEST(Script, BlocksUnrollNestedAndNameEachPassOfTheirTests)
{
    const auto parsed =
        ParseScript("s", "for led in RED GREEN\nrepeat 2\ntest ${led} on\nsend LED ${led}\nend\nend\n"
                         "test flash @smoke within 3s\nrepeat 3\ntype \\x03\nend\n");
    ASSERT_TRUE(std::holds_alternative<Script>(parsed)) << std::get<std::string>(parsed);
    const Script& script = std::get<Script>(parsed);
    std::vector<std::string> names;
    for (const TestCase& test : script.tests)
        names.push_back(test.name + ":" + std::to_string(test.steps.size()));
    EXPECT_EQ(names, (std::vector<std::string>{"RED on (1 of 2):1", "RED on (2 of 2):1",
                                               "GREEN on (1 of 2):1", "GREEN on (2 of 2):1", "flash:3"}));
    EXPECT_EQ(script.tests[1].steps[0].text, "send LED RED");
    EXPECT_EQ(script.tests[4].tags, std::vector<std::string>{"smoke"});
    EXPECT_EQ(std::get<std::string>(ParseScript("s", "test a\nrepeat 2\nfor x in 1\nend\n")),
              "s:2: the repeat block has no end");
    EXPECT_EQ(std::get<std::string>(ParseScript("s", "test a\nend\n")), "s:2: end closes no block");
    EXPECT_EQ(std::get<std::string>(ParseScript("s", "type \\q\n")),
              "s:1: '\\q' is no escape (\\r \\n \\t \\xHH \\\\)");
}
