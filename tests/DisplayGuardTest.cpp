#include <QProcess>
#include <gtest/gtest.h>

TEST(DisplayGuard, ADisplayThatCannotBeOpenedIsOneSentenceAndStatusOne)
{
    for (const char* display : {"", ":97"}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("DISPLAY", display);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(PELLMARK_BINARY, {"--no-settings"});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << display;
        EXPECT_EQ(program.exitCode(), 1) << display;
        const QString said = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(said.startsWith("pellmark: ")) << said.toStdString();
        EXPECT_TRUE(said.contains("xvfb-run -a")) << said.toStdString();
        EXPECT_EQ(said.count('\n'), 1) << said.toStdString();

        program.start(PELLMARK_BINARY, {"--no-settings", "--version"});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitCode(), 0);
    }
}
