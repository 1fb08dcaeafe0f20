#include <QProcess>
#include <gtest/gtest.h>

#include "CommandLine.h"

TEST(CommandLine, HelpVersionAndUsageErrorsStopWithTheirStatus)
{
    struct Case {
        QStringList arguments;
        std::optional<int> status;
        const char* said;
    };
    const Case cases[] = {
        {{}, std::nullopt, ""},
        {{"-platform", "offscreen"}, std::nullopt, ""},
        {{"--help"}, 0, "Usage: pellmark [options]"},
        {{"-h"}, 0, "--version"},
        {{"--version"}, 0, "pellmark " PELLMARK_VERSION "\n"},
        {{"--bogus"}, 2, "Unknown option 'bogus'"},
        {{"-platform"}, 2, "Missing value after '-platform'"},
        {{"extra"}, 2, "unexpected argument 'extra'"},
    };
    for (const Case& c : cases) {
        CommandLine line = ParseCommandLine(QStringList{"/usr/bin/pellmark"} + c.arguments);
        EXPECT_EQ(line.exitStatus, c.status) << c.said;
        EXPECT_TRUE(line.output.contains(QString::fromUtf8(c.said))) << line.output.toStdString();
        if (c.status == 2) {
            EXPECT_TRUE(line.output.contains("Usage: pellmark")) << c.said;
        }
    }
}

TEST(CommandLine, ADisplayThatCannotBeOpenedIsOneSentenceAndStatusOne)
{
    for (const char* display : {"", ":97"}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("DISPLAY", display);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(PELLMARK_BINARY, {});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << display;
        EXPECT_EQ(program.exitCode(), 1) << display;
        const QString said = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(said.startsWith("pellmark: ")) << said.toStdString();
        EXPECT_TRUE(said.contains("xvfb-run -a")) << said.toStdString();
        EXPECT_EQ(said.count('\n'), 1) << said.toStdString();

        program.start(PELLMARK_BINARY, {"--version"});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitCode(), 0);
    }
}
