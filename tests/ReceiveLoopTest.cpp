#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include "app/ReceiveLoop.h"
#include "common/LocalTime.h"
#include "session/SessionFiles.h"
#include "tests/support/FileLines.h"
#include "tests/support/WindowFixture.h"

namespace {

struct Loop : WindowFixture {
    ReceiveLoop loop{window, link};

    void SetUp() override
    {
        ShowWindow();
        link.State.InPipe = 4;
    }

    void Cycle(const std::string& packet)
    {
        library.QueueRead(packet);
        ASSERT_TRUE(loop.RunCycle());
    }

    QString Received()
    {
        window.txtReceive->Flush();
        return window.txtReceive->toPlainText();
    }
    QString Status() const { return window.sbrMessage->StatusText(); }
};

} // namespace

TEST_F(Loop, EachLineShowsTheBytesItCameFromWithThoseDroppedAfterTheFirstCr)
{
    window.ShowBytes(true);
    // Double-byte characters cut by a packet's end, one a packet of its own.
    for (const char* packet : {"AB\x82", "\xA0", "\x82"})
        Cycle(packet);
    Cycle("\xA0\x01\r\nxy"); // the control character goes from the text, not from the bytes
    Cycle("\nC\r");          // an LF parted from its CR came before the next line
    EXPECT_EQ(Received(), "ABああ\t41 42 82 A0 82 A0 01 0D [0A 78 79]\nC\t0A 43 0D\n");
}

TEST_F(Loop, ReceivedLineIsShownWithReceived)
{
    Cycle("A");
    EXPECT_EQ(Received(), "");
    EXPECT_EQ(Status(), "");
    Cycle("B\r\n");
    EXPECT_EQ(Received(), "AB\n");
    EXPECT_EQ(Status(), "Received");
    Cycle("\x07Z\x7F\r");
    EXPECT_EQ(Received(), "AB\nZ\x7F\n");
    EXPECT_EQ(library.readCalls.back(), "4,65,10");

    // A window event that comes during a read is handled after the packet's
    // lines, in the next cycle, never between two of them.
    QString seen = "not run";
    library.onRead = [&] {
        QTimer::singleShot(0, [&] { seen = Received(); });
        library.onRead = nullptr;
    };
    Cycle("C\nD\r");
    EXPECT_EQ(seen, "not run");
    ASSERT_TRUE(loop.RunCycle());
    EXPECT_EQ(seen, "AB\nZ\x7F\nC\nD\n");
}

TEST_F(Loop, EmptyReadsChangeNothingAndClosedPipesWaitForTheNextEvent)
{
    window.sbrMessage->SetStatusText("Prepared");
    ASSERT_TRUE(loop.RunCycle());
    EXPECT_EQ(Status(), "Prepared");
    EXPECT_EQ(Received(), "");
    // Each cycle sleeps its millisecond, even when reads come back at once.
    QElapsedTimer twenty;
    twenty.start();
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(loop.RunCycle());
    EXPECT_GE(twenty.elapsed(), 20);

    // Nothing to read: a cycle waits for the window's next event, here a
    // timer, rather than polling a closed pipe.
    link.State.InPipe = INVALID_PIPE;
    const std::size_t reads = library.readCalls.size();
    bool fired = false;
    QTimer::singleShot(40, [&fired] { fired = true; });
    int cycles = 0;
    while (!fired && cycles < 100) {
        ASSERT_TRUE(loop.RunCycle());
        ++cycles;
    }
    EXPECT_TRUE(fired);
    EXPECT_LT(cycles, 10);
    EXPECT_EQ(library.readCalls.size(), reads);
}

TEST_F(Loop, OpeningDiscardsThePartialLine)
{
    Cycle("partial");
    emit window.PendingLineDiscarded();
    Cycle("X\r");
    EXPECT_EQ(Received(), "X\n");
}

TEST_F(Loop, EndsOnceTheWindowIsClosedButNotWhenMinimised)
{
    window.showMinimized();
    EXPECT_TRUE(loop.RunCycle());
    window.showNormal();
    window.close();
    library.QueueRead("late\r");
    EXPECT_FALSE(loop.RunCycle());
    EXPECT_EQ(library.readCalls.size(), 1u); // no read after the window went
}

TEST_F(Loop, LinesKeepArrivingWhileSaveAsIsOpen)
{
    // A safety net: a dialog with a loop of its own would hold the test here.
    QTimer::singleShot(3000, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    std::unique_ptr<QMenu> menu(window.txtReceive->CreateContextMenu());
    for (QAction* action : menu->actions())
        if (action->text() == "&Save As…")
            action->trigger();
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    Cycle("OK\r\n");
    EXPECT_EQ(Received(), "OK\n");

    QTemporaryDir folder;
    const QString within = folder.filePath("résumé-テスト"); // more than an ANSI code page holds
    ASSERT_TRUE(QDir().mkdir(within));
    dialog->setDirectory(within);
    static_cast<QDialog*>(dialog)->accept(); // under the name it offers
    QFile saved(within + "/received.txt");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "OK\n");
}

TEST_F(Loop, EachLineReadsTheClockOnceForTheAreaAndTheLog)
{
    QTemporaryDir folder;
    const auto time = std::chrono::system_clock::from_time_t(1'800'000'000) + std::chrono::milliseconds(123);
    int reads = 0;
    {
        SessionFiles files(folder.filePath("lines.log").toStdString(), {}, messages);
        ReceiveLoop logged(window, link, &files);
        logged.Clock = [&] { return ++reads, time; };
        for (const char* packet : {"A\r", "B\r"}) {
            library.QueueRead(packet);
            ASSERT_TRUE(logged.RunCycle());
        }
    }
    EXPECT_EQ(reads, 2);
    window.txtReceive->Flush();
    EXPECT_EQ(window.txtReceive->Lines().OfDay(0), LocalMillisecondOfDay(time));
    const std::string stamp = LocalTimeText(time);
    EXPECT_EQ(LinesOf(folder.filePath("lines.log").toStdString()), std::vector({stamp + " A", stamp + " B"}));
}
