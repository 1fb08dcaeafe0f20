#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include "app/ArgumentText.h"
#include "app/CommandLine.h"
#include "common/Arguments.h"

TEST(CommandLine, HelpVersionAndUsageErrorsStopWithTheirStatus)
{
    struct Case {
        QStringList arguments;
        std::optional<int> status;
        const char* said;
    };
    const Case cases[] = {
        {{}, std::nullopt, ""},
        {{"-platform", "offscreen", "-reverse", "-session", "x", "--stylesheet=f.qss", "-style=fusion",
          "-qwindowgeometry", "418x484+0+0", "-widgetcount", "-display", ":1", "-geometry", "1x1"},
         std::nullopt,
         ""},
        {{"--help"}, 0, "Usage: pellmark [options]"},
        {{"-h"}, 0, "--version"},
        {{"--version"}, 0, "pellmark " PELLMARK_VERSION "\n"},
        {{"--bogus"}, 2, "Unknown option 'bogus'"},
        {{"-platform"}, 2, "Missing value after '-platform'"},
        {{"extra"}, 2, "unexpected argument 'extra'"},
        {{"--device", "demo", "--open", "--log", "a.log", "--trace", "a.trace"}, std::nullopt, ""},
        {{"--log"}, 2, "Missing value after '--log'"},
    };
    for (const Case& c : cases) {
        CommandLine line = ParseCommandLine(QStringList{"/usr/bin/pellmark"} + c.arguments);
        EXPECT_EQ(line.exitStatus, c.status) << c.said;
        EXPECT_TRUE(line.output.contains(QString::fromUtf8(c.said))) << line.output.toStdString();
        if (c.status == 2) {
            EXPECT_TRUE(line.output.contains("Usage: pellmark")) << c.said;
        }
    }
    const SessionOptions session =
        ParseCommandLine({"pellmark", "--device", " vid_1234&pid_5678 ", "--open", "--log", "a.log",
                          "--trace", "a.trace", "--script", "a.script", "--tap", "a.tap", "--junit", "a.xml"})
            .session;
    EXPECT_EQ(session.device, " vid_1234&pid_5678 ");
    EXPECT_TRUE(session.open);
    EXPECT_EQ(session.logPath, "a.log");
    EXPECT_EQ(session.tracePath, "a.trace");
    EXPECT_EQ(session.script, "a.script");
    EXPECT_EQ(session.tap, "a.tap");
    EXPECT_EQ(session.junit, "a.xml");
    // Each flag sets its own option, and only it.
    for (const auto& [flag, option] :
         {std::pair{"--open", &SessionOptions::open}, std::pair{"--reopen", &SessionOptions::reopen},
          std::pair{"--times", &SessionOptions::times}, std::pair{"--echo", &SessionOptions::echo},
          std::pair{"--bytes", &SessionOptions::bytes}}) {
        const SessionOptions set = ParseCommandLine({"pellmark", flag}).session;
        EXPECT_TRUE(set.*option && set.open + set.reopen + set.times + set.echo + set.bytes == 1) << flag;
    }
    EXPECT_TRUE(ParseCommandLine({"pellmark"}).session.remember);
    EXPECT_FALSE(ParseCommandLine({"pellmark", "--no-settings"}).session.remember);

#ifndef _WIN32 // where arguments are bytes; Windows hands over wide characters
    // A path is opened as the very bytes given, UTF-8 or not.
    char program[] = "pellmark", log[] = "--log", latin1[] = "lat\xe9.log", trace[] = "--trace",
         utf8[] = "\xe6\x97\xa5\xf0\x9f\x98\x80\xed\xb2\x80.trace";
    char* argv[] = {program, log, latin1, trace, utf8};
    const SessionOptions raw = ParseCommandLine(ArgumentsAsText(ProgramArguments(5, argv))).session;
    EXPECT_EQ(raw.logPath.native(), latin1);
    EXPECT_EQ(raw.tracePath.native(), utf8);
#endif
}

TEST(CommandLine, DeviceAndOpenReachTheDemoDeviceWithATrace)
{
    QTemporaryDir folder;
    const QString trace = folder.filePath("session.trace");
    QProcess program;
#ifndef _WIN32
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
#endif
    program.start(PELLMARK_BINARY, {"--no-settings", "--device", "demo", "--open", "--trace", trace});
    QString traced;
    for (int i = 0; i < 100 && !traced.contains("direction 1 -> "); ++i) {
        QThread::msleep(50);
        QFile file(trace);
        if (file.open(QIODevice::ReadOnly))
            traced = QString::fromUtf8(file.readAll());
    }
    program.kill();
    program.waitForFinished();
    EXPECT_TRUE(traced.contains("count \"demo\" -> 1")) << traced.toStdString();
    EXPECT_TRUE(traced.contains("open \"demo\" \"\\\\MCHP_EP1\" direction 1 -> 1")) << traced.toStdString();
}
