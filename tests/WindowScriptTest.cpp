#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include "app/ArgumentText.h"
#include "app/Program.h"

namespace {

// A program with the demo device open, and its loop run while a script runs.
struct DemoScript : ::testing::Test {
    Program program;
    QTemporaryDir folder;

    void SetUp() override
    {
        program.window.Form_Load();
        program.window.SetDeviceText("demo");
        program.window.cmdPrepare_Click();
        ASSERT_TRUE(program.link.State.PipesOpen);
    }

    QString Write(const QByteArray& text, const QString& name = "t.script")
    {
        QFile file(folder.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return file.fileName();
    }

    bool RunUntilDone(int limitMs = 20000)
    {
        QElapsedTimer waited;
        waited.start();
        while (program.script.Running() && waited.elapsed() < limitMs)
            program.loop.RunCycle();
        return !program.script.Running();
    }

    QString Shown()
    {
        program.window.txtReceive->Flush();
        return program.window.txtReceive->toPlainText();
    }
};

} // namespace

TEST_F(DemoScript, GivesTheTapThatPellmarkRunGives)
{
    // The device leaves as a test begins, with no reopen step, followed or
    // not; it returns before the reopen step that waits for it begins.
    const QString gone =
        Write("device demo\ntest a\nsend RESET\nexpect OK\ntest b\nexpect OK within 300ms\n", "gone.script");
    const QStringList scripts{
        PELLMARK_SOURCE_DIR "/docs/examples/boot-banner.script",
        PELLMARK_SOURCE_DIR "/docs/examples/reset-reconnect.script", gone,
        Write(
            "device demo\ntest a\nsend RESET\nexpect OK\nwait 2500ms\nreopen within 5s\nsend LED ON\nexpect "
            "OK\n",
            "late.script"),
        gone};
    for (const QString& script : scripts) {
        const std::string name = script.toStdString();
        QProcess runner;
        runner.start(PELLMARK_RUN_BINARY, {"--device", "demo", script});
        ASSERT_TRUE(runner.waitForFinished(30000));
        const QByteArray expected = runner.readAllStandardOutput();
        EXPECT_TRUE(expected.startsWith("TAP version 13\n")) << expected.toStdString();

        // Opened afresh, as pellmark-run opens it, once a reset is over.
        program.window.cmdClose_Click();
        while (program.library.MPUSBGetDeviceCount("demo") < 1)
            program.loop.RunCycle();
        program.follower.Toggle.setChecked(&script == &scripts.back());
        program.window.cmdPrepare_Click();
        program.script.tapPath = PathOfArgument(folder.filePath("w.tap"));
        program.script.Start(PathOfArgument(script));
        ASSERT_TRUE(RunUntilDone()) << name;
        QFile tap(folder.filePath("w.tap"));
        ASSERT_TRUE(tap.open(QIODevice::ReadOnly));
        EXPECT_EQ(tap.readAll().toStdString(), expected.toStdString()) << name;
    }
}

TEST_F(DemoScript, StreamsAndSendsTheUsersLinesWhileItRuns)
{
    program.window.txtSend->setText("COUNT 1000");
    program.window.cmdSend_Click();
    program.script.Start(
        PathOfArgument(Write("test echo\nsend ECHO scripted\nexpect scripted within 5s\n"
                             "send VERSION\nexpect /(?<v>\\d+\\.\\d+\\.\\d+)$/ within 5s\n")));
    ASSERT_TRUE(program.script.Running());
    program.window.txtSend->setText("ECHO typed");
    program.window.cmdSend_Click();
    ASSERT_TRUE(RunUntilDone());
    EXPECT_FALSE(Shown().contains("LINE 1000")); // it ran while the lines streamed
    while (!Shown().contains("LINE 1000"))
        program.loop.RunCycle();

    const QString shown = Shown();
    EXPECT_TRUE(shown.contains("\nscripted\n"));
    EXPECT_TRUE(shown.contains("\ntyped\n"));
    EXPECT_TRUE(shown.contains("\tstep\tsend ECHO scripted\n")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("\tok\t1 - echo (v=1.4.2)\n")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("\tscript\t1 of 1 passed"));
    // Every streamed line, in order, among the script's.
    int next = 1;
    for (const QString& line : shown.split('\n')) {
        if (line.startsWith("LINE ")) {
            EXPECT_EQ(line.toStdString(), QStringLiteral("LINE %1").arg(next++).toStdString());
        }
    }
    EXPECT_EQ(next, 1001);
}

TEST_F(DemoScript, StopReportsTheTestsNotOverAsNotRun)
{
    program.script.tapPath = PathOfArgument(folder.filePath("w.tap"));
    program.script.Start(PathOfArgument(Write("test waits\nwait 10s\ntest after\n")));
    while (!Shown().contains("\tstep\twait 10s"))
        program.loop.RunCycle();
    program.script.Toggle.trigger();
    EXPECT_FALSE(program.script.Running());
    EXPECT_TRUE(Shown().contains("\tscript\t0 of 2 passed")) << Shown().toStdString();
    QFile tap(folder.filePath("w.tap"));
    ASSERT_TRUE(tap.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(tap.readAll());
    EXPECT_TRUE(text.contains("not ok 1 - waits\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("not ok 2 - after\n  ---\n  script: \"" + folder.filePath("t.script") +
                              "\"\n  reason: \"not run: the run was interrupted\""))
        << text.toStdString();

    // A report that could not be written is known before anything is sent.
    program.script.tapPath = PathOfArgument(folder.path());
    program.script.Start(PathOfArgument(folder.filePath("t.script")));
    EXPECT_FALSE(program.script.Running());
    EXPECT_TRUE(Shown().contains(" cannot be written; not run"));
}

TEST(ScriptAtStart, RunsAfterOpenAndWritesItsTap)
{
    QTemporaryDir folder;
    const QString tap = folder.filePath("start.tap");
    QProcess program;
#ifndef _WIN32
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
#endif
    program.start(PELLMARK_BINARY, {"--no-settings", "--device", "demo", "--open", "--tap", tap, "--script",
                                    PELLMARK_SOURCE_DIR "/docs/examples/boot-banner.script"});
    for (int i = 0; i < 200 && !QFile::exists(tap); ++i)
        QThread::msleep(50);
    program.kill();
    program.waitForFinished();
    QFile file(tap);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("TAP version 13\n1..2\nok 1 - reports its version\n"));
}
