#include <QFileDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/ArgumentText.h"
#include "app/Program.h"
#include "tests/support/FileLines.h"
#include "tests/support/MessageBoxWatch.h"
#include "tests/support/WindowFixture.h"
#include "window/SendHistory.h"

TEST(SendHistory, StepsNewestFirstSkippingWhatTheBoxShowsAndGivesBackWhatWasTyped)
{
    SendHistory history;
    for (const char* line : {"ONE", "", "TWO", "TWO", "THREE"})
        history.Add(line);
    EXPECT_EQ(history.Older("dra"), "THREE");
    EXPECT_EQ(history.Older("THREE"), "TWO");
    EXPECT_EQ(history.Older("TWO"), "ONE"); // TWO twice in a row is kept once; no empty line
    EXPECT_EQ(history.Older("ONE"), std::nullopt);
    EXPECT_EQ(history.Newer("ONE"), "TWO");
    EXPECT_EQ(history.Newer("TWO"), "THREE");
    EXPECT_EQ(history.Newer("THREE"), "dra");
    EXPECT_EQ(history.Newer("dra"), std::nullopt);
    history.Add("TWO"); // the box keeps the line it sent: Up skips it
    EXPECT_EQ(history.Older("TWO"), "THREE");

    SendHistory full;
    full.Add(QString(3000, u'x'));
    EXPECT_EQ(full.Older("")->size(), SendHistory::LINE_LIMIT);
    for (int i = 0; i < 100; ++i)
        full.Add(QString::number(i));
    QString shown = "", oldest;
    int steps = 0;
    for (; std::optional<QString> entry = full.Older(shown); ++steps)
        oldest = shown = *entry;
    EXPECT_EQ(steps, 100);
    EXPECT_EQ(oldest, "0");
}

namespace {

struct Find : WindowFixture {
    void SetUp() override { ShowWindow(); }
    QString MatchLine() const
    {
        return window.txtReceive->LineText(window.txtReceive->SelectionStart().line);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(window.findBar->Field, key, modifiers);
    }
};

} // namespace

TEST_F(Find, StepsThroughMatchesWhileLinesArriveAndTheOldestGo)
{
    ReceiveArea& area = *window.txtReceive;
    area.SetLineLimit(60); // beyond 66 lines, it keeps 60
    for (int i = 0; i < 10; ++i)
        area.AppendLine(QString("line %1 %2").arg(i).arg(i == 9 ? "hit, hit" : i % 3 == 0 ? "hit" : "miss"));
    area.AppendMark(u"sent", u"hit"); // marks are not searched; waiting lines are
    QTest::keyClick(window.txtSend, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(window.findBar->Field->hasFocus());
    QTest::keyClicks(window.findBar->Field, "Hit"); // a capital: case matters
    EXPECT_EQ(window.findBar->Count->text(), "no match");
    Key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.findBar->Field, "hit");
    EXPECT_EQ(window.findBar->Count->text(), "5 matches");
    EXPECT_EQ(MatchLine(), "line 9 hit, hit");
    const qsizetype later = area.SelectionStart().column;
    EXPECT_FALSE(area.Following());
    Key(Qt::Key_Return); // each match of a line in turn
    EXPECT_EQ(area.SelectionStart().column, later - 5);
    Key(Qt::Key_Return);
    EXPECT_EQ(MatchLine(), "line 6 hit");
    Key(Qt::Key_F3, Qt::ShiftModifier);
    Key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(area.SelectionStart().column, later);
    Key(Qt::Key_Return, Qt::ShiftModifier); // wraps to the oldest
    EXPECT_EQ(MatchLine(), "line 0 hit");

    area.AppendLine(u"line 10 hit");
    area.Flush();
    EXPECT_EQ(window.findBar->Count->text(), "6 matches");
    // Lines 0 to 6 go, the current match with them.
    for (int i = 0; i < 55; ++i)
        area.AppendLine(u"filler");
    area.Flush();
    EXPECT_EQ(window.findBar->Count->text(), "3 matches");
    Key(Qt::Key_Return);
    EXPECT_EQ(MatchLine(), "line 10 hit");

    Key(Qt::Key_Escape);
    EXPECT_FALSE(window.findBar->isVisible());
    EXPECT_TRUE(window.txtSend->hasFocus());
    EXPECT_TRUE(area.Following());
}

TEST(Aids, ALogStartedAndStoppedHoldsSentLinesAndEventsMarked)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("résumé-テスト.log"); // more than an ANSI code page holds
    MessageBoxWatch boxes;
    {
        Program program;
        program.window.Form_Load();
        program.aids.Log.trigger();
        auto* dialog = program.window.findChild<QFileDialog*>();
        ASSERT_TRUE(dialog);
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
        EXPECT_EQ(program.aids.Log.text(), "Stop Lo&g (" + path + ")");
        EXPECT_EQ(program.window.windowTitle(), FrmCom3::TITLE + " — logging to résumé-テスト.log");
        // Where the area dropped lines, it says that the log holds them.
        ReceiveArea& area = *program.window.txtReceive;
        program.window.KeepLines(1);
        area.AppendLine(u"one");
        area.AppendLine(u"two");
        area.Flush();
        EXPECT_TRUE(area.LineText(area.FirstLine()).endsWith("; the log holds them"));
        program.window.KeepLines(ReceiveArea::LINE_LIMIT);
        program.window.cmbDesc->setEditText("none");
        program.window.cmdPrepare_Click();
        program.window.cmbDesc->setEditText("demo");
        program.window.cmdPrepare_Click();
        program.aids.ShowSent.setChecked(true);
        program.window.txtSend->setText("ECHO hi");
        program.window.cmdSend_Click();
        program.window.txtReceive->Flush();
        EXPECT_TRUE(program.window.txtReceive->toPlainText().endsWith("\tsent\tECHO hi\n"));
        program.aids.ShowBytes.setChecked(true); // the packet's 20 bytes
        EXPECT_TRUE(program.window.txtReceive->toPlainText().endsWith(
            "\tsent\tECHO hi\t45 43 48 4F 20 68 69 0D 00 00 00 00 00 00 00 00 00 00 00 00\n"));
        program.aids.ShowBytes.setChecked(false);
        EXPECT_EQ(program.window.sbrMessage->StatusText(), "Sended");
        for (int i = 0; i < 100 && !program.window.txtReceive->toPlainText().endsWith("\nhi\n"); ++i)
            program.loop.RunCycle();
        program.aids.ShowSent.setChecked(false); // logged all the same
        program.window.txtSend->setText("ECHO ho");
        program.window.cmdSend_Click();
        for (int i = 0; i < 100 && !program.window.txtReceive->toPlainText().endsWith("\nho\n"); ++i)
            program.loop.RunCycle();
        program.window.cmdClose_Click();
        program.aids.Log.trigger();
        EXPECT_EQ(program.aids.Log.text(), "Start Lo&g…");
        EXPECT_EQ(program.window.windowTitle(), FrmCom3::TITLE);
        SessionOptions traced;
        traced.tracePath = PathOfArgument(folder.filePath("session.trace"));
        EXPECT_EQ(Program(traced).window.windowTitle(), FrmCom3::TITLE + " — tracing to session.trace");

        // A log that fails is told, and the item offers Start again.
        program.files.StartLog(folder.filePath("no/such/folder.log").toStdString());
        for (int i = 0; i < 100 && !program.files.LogPath().empty(); ++i)
            program.loop.RunCycle();
        EXPECT_EQ(program.aids.Log.text(), "Start Lo&g…");
        for (int i = 0; i < 100 && !boxes.seen.join("").contains("folder.log");
             ++i) // its box does not hold the loop
            QTest::qWait(10);
    }
    const QRegularExpression form(R"(^\S+(\t(\w+)\t| )(.*)$)");
    QStringList kinds, texts;
    for (const std::string& line : LinesOf(PathOfArgument(path))) {
        const QRegularExpressionMatch parts = form.match(QString::fromStdString(line));
        kinds << parts.captured(2);
        texts << parts.captured(3);
    }
    ASSERT_EQ(kinds, QStringList({"start", "failed", "open", "sent", "", "sent", "", "close"}));
    EXPECT_TRUE(texts[0].startsWith("Pellmark " PELLMARK_VERSION ", running since "))
        << texts[0].toStdString();
    EXPECT_EQ(texts.mid(1), QStringList({"none did not open: Peripheral device is not connected", "demo",
                                         "ECHO hi", "hi", "ECHO ho", "ho", "demo by Close"}));
    // Windows tells first that the vendor's library is not there, for "none".
    ASSERT_FALSE(boxes.seen.isEmpty());
    EXPECT_TRUE(boxes.seen.back().contains("no/such/folder.log cannot be opened"));
}

TEST(Aids, TheSessionFilesProblemsAreShownWithoutHoldingTheLoop)
{
    Program program;
    program.window.Form_Load();
    // A box that held the loop would still be open here; it is closed so that the test ends.
    QTimer::singleShot(3000, &program.window, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    program.files.StartLog("/no/such/folder/session.log");
    for (int i = 0; i < 100 && !program.files.LogPath().empty(); ++i)
        program.loop.RunCycle();
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(box && box->isVisible()); // the loop went on while it is shown
    delete box;
}
