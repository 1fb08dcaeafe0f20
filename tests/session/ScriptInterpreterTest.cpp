#include <gtest/gtest.h>

#include <map>

#include "session/LineAssembly.h"
#include "session/ScriptInterpreter.h"

namespace {

using Clock = ScriptInterpreter::Clock;
using Kind = ScriptInterpreter::Request::Kind;

// Drives an interpreter as a driver would, on a device that answers each
// packet with a text (its line ends in it), in time that passes only while
// nothing arrives.
struct Drive {
    std::map<std::string, std::u16string> answers; // by packet, without zeros
    ScriptInterpreter::Settings settings;
    std::vector<std::string> sent;
    std::vector<TestReport> reports;

    std::vector<TestReport>& Run(const char* text)
    {
        ScriptInterpreter interpreter({std::get<Script>(ParseScript("t", text))}, std::move(settings));
        interpreter.reported = [this](const TestReport& report) { reports.push_back(report); };
        LineAssembly lines;
        std::vector<std::u16string> coming;
        Clock::time_point now{};
        for (ScriptInterpreter::Request r; (r = interpreter.Next(now)).kind != Kind::Done;) {
            if (r.kind == Kind::Send) {
                sent.push_back(r.packet);
                interpreter.Sent(true, false);
                coming.push_back(answers[r.packet.substr(0, r.packet.find('\0'))]);
            } else if (r.kind == Kind::Read && !coming.empty()) {
                lines.Walk(coming.front(),
                           [&interpreter](std::u16string_view line) { interpreter.Line(line); });
                interpreter.Pending(lines.PendingLine);
                coming.erase(coming.begin());
            } else if (r.kind == Kind::Read) {
                interpreter.ReadNothing();
                now = std::max(now, r.until);
            }
        }
        return reports;
    }
};

} // namespace

TEST(ScriptInterpreter, APromptIsTheTextSinceTheLastLineEndAndIsTakenOnce)
{
    Drive drive;
    drive.answers = {{"PROMPT\r", u"boot\r\n=> "}, {"login\r", u"\r\nlogin: "}};
    const auto& reports = drive.Run("test p\nsend PROMPT\nprompt \"=> \"\nprompt => within 1s\n"
                                    "test q\nsend login\nprompt /^login: $/\n");
    EXPECT_EQ(reports[0].step, "prompt => within 1s");
    EXPECT_EQ(reports[0].got.Lines().back(), u"");
    EXPECT_EQ(reports[0].waited, Milliseconds(1000));
    EXPECT_TRUE(reports[1].passed) << reports[1].step;
}

TEST(ScriptInterpreter, NamedGroupsGiveValuesToLaterStepsAndTestNames)
{
    Drive drive;
    drive.answers = {{"VERSION\r", u"fw 1.4.2 (rev a)\r\n"}, {"ECHO 1.4.2 1\r", u"1x4y2 1\r\n1.4.2 1\r\n"}};
    drive.settings.values = ScriptValues([](const std::string& name) {
        return name == "HOME" ? std::optional<std::string>("/h") : std::nullopt;
    });
    drive.settings.values.Set("n", u"1");
    const auto& reports =
        drive.Run("test v\nsend VERSION\nexpect /^fw (?<version>[\\d.]+) \\(rev (?<rev>\\w)\\)/\n"
                  "test on ${version}\nsend ECHO ${version} ${n}\nexpect /^${version} ${n}$/\n"
                  "expect ${version} ${n} within 0ms\n"
                  "test unset\nsend ${env:HOME} ${env:NOPE}\n");
    EXPECT_EQ(reports[0].captured, (Pattern::Captures{{"version", u"1.4.2"}, {"rev", u"a"}}));
    EXPECT_EQ(reports[1].name, "on 1.4.2");
    EXPECT_EQ(reports[1].step, "expect ${version} ${n} within 0ms") << "a value's dots are no pattern";
    EXPECT_EQ(reports[2].reason, "the value ${env:NOPE} is not set");
}

TEST(ScriptInterpreter, TypedKeysAndValuedLinesGoOutInOnePacketOrFailTheirStep)
{
    Drive drive;
    drive.settings.values.Set("long", u"012345678901234567");
    const auto& reports = drive.Run("test keys\ntype q\\x03\\r\\t\\\\\nsend ${long}\nsend V ${long}\n");
    EXPECT_EQ(drive.sent, (std::vector<std::string>{"q\x03\r\t\\", "012345678901234567\r"}));
    EXPECT_EQ(reports[0].reason, "'V 012345678901234567' is 20 characters; one packet holds 19 and its CR");
}

TEST(ScriptInterpreter, TeardownRunsAfterEveryTestAndItsFailureIsReportedApart)
{
    Drive drive;
    drive.answers = {{"OFF\r", u"OK\r\n"}};
    const auto& reports = drive.Run("teardown\nsend OFF\nexpect OK\n"
                                    "test fails\nexpect never within 0ms\nteardown\nexpect gone within 0ms\n"
                                    "test passes\n");
    EXPECT_EQ(drive.sent, (std::vector<std::string>{"OFF\r", "OFF\r"}));
    EXPECT_FALSE(reports[0].passed);
    EXPECT_EQ(reports[0].teardown, "expect gone within 0ms (line 7): nothing matched in 0ms");
    EXPECT_TRUE(reports[1].passed && reports[1].teardown.empty());
}

TEST(ScriptInterpreter, TagsSkipStepsTimeLimitsAndRetries)
{
    Drive drive;
    drive.settings.only = {"smoke"};
    drive.settings.skip = {"slow"};
    drive.answers = {{"ROLL\r", u"1\r\n"}};
    const auto& reports = drive.Run("test a @smoke\nskip no board\nsend never\n"
                                    "test b\ntest c @smoke @slow\n"
                                    "test d @smoke within 2s\nwait 1s\nexpect x within 5s\n"
                                    "test e @smoke\nretry 2\nsend ROLL\nexpect 2 within 0ms\n");
    EXPECT_TRUE(reports[0].skipped && reports[0].reason == "no board" && drive.sent[0] == "ROLL\r");
    EXPECT_EQ(reports[1].reason, "not tagged smoke");
    EXPECT_EQ(reports[2].reason, "tagged to be skipped (--skip)");
    EXPECT_EQ(reports[3].reason, "the test did not end within 2s");
    EXPECT_EQ(reports[3].step, "expect x within 5s");
    EXPECT_EQ(reports[4].attempts, 3);
    EXPECT_EQ(reports[4].failedAttempts.size(), 2u);
}
