#include <QClipboard>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>

#include "tests/support/FileLines.h"
#include "tests/support/WindowFixture.h"
#include "window/ThumbBar.h"

namespace {

struct Area : WindowFixture {
    void SetUp() override { ShowWindow(); }

    // Lines added together, as within one frame.
    void Add(int from, int count)
    {
        for (int i = from; i < from + count; ++i)
            window.txtReceive->AppendLine(QString("line %1").arg(i));
        window.txtReceive->Flush();
    }
    QString TopLine() const
    {
        return window.txtReceive->LineText(window.txtReceive->PositionAt(QPoint(4, 4)).line);
    }
    // The viewport as it is on screen, and as a whole repaint would draw it.
    QImage OnScreen() const
    {
        QWidget* viewport = window.txtReceive->viewport();
        const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
        return screen.copy({viewport->mapTo(&window, QPoint()), viewport->size()})
            .convertToFormat(QImage::Format_RGB32);
    }
    QImage Repainted() const
    {
        return window.txtReceive->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

// The regions a widget is painted in.
struct Paints : QObject {
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
    std::vector<QRegion> regions;
};

} // namespace

TEST_F(Area, ViewFollowsTheEndButStaysOnItsTextWhenScrolledBackOrHeld)
{
    QScrollBar* bar = window.txtReceive->verticalScrollBar();
    window.txtReceive->SetLineLimit(200);
    Add(0, 100);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(30);
    Add(100, 1);
    EXPECT_EQ(TopLine(), "line 30");

    // A tenth beyond the limit the oldest lines go, and the view stays on its
    // text; a marked line first says how many went.
    Add(101, 119);
    EXPECT_EQ(window.txtReceive->LinesGone(), 0);
    Add(220, 1);
    EXPECT_EQ(TopLine(), "line 30");
    EXPECT_EQ(window.txtReceive->LineText(window.txtReceive->FirstLine()),
              "\tdropped\t21 older lines before this one");
    // When the text in view goes, the view stops at that line, and stays
    // there while lines come and until more go.
    Add(221, 200);
    EXPECT_EQ(TopLine(), "\tdropped\t221 older lines before this one");
    window.txtReceive->SetLogging(true);
    Add(421, 10);
    EXPECT_EQ(TopLine(), "\tdropped\t221 older lines before this one; the log holds them");
    EXPECT_EQ(window.txtReceive->LineText(window.txtReceive->LinesInView()[1].line), "line 221");
    EXPECT_FALSE(window.txtReceive->Following());

    // While the mouse button is held in the area, the view does not follow.
    bar->setValue(bar->maximum());
    const QString bottom = TopLine();
    QTest::mousePress(window.txtReceive->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    Add(431, 3);
    EXPECT_EQ(TopLine(), bottom);
    QTest::mouseRelease(window.txtReceive->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    bar->setValue(bar->maximum());
    Add(434, 1);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(Area, TheFirstLineShowsAtOnceAndFramesKeepComingWhileLinesDo)
{
    window.txtReceive->AppendLine(u"one"); // after a quiet spell
    window.txtReceive->AppendLine(u"two"); // waits for the frame
    EXPECT_EQ(window.txtReceive->toPlainText(), "one\n");
    for (int turn = 0; turn < 1'000'000 && window.txtReceive->EndLine() == 1; ++turn) {
        window.txtReceive->AppendLine(u"more"); // a line every turn must not hold the frame back
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(window.txtReceive->LineText(window.txtReceive->EndLine() - 1), "more");
}

TEST_F(Area, LinesKeptKeepTheirTimeSinceTheLineBefore)
{
    // Each line kept keeps its time since the line before, which went.
    window.txtReceive->SetLineLimit(100);
    for (qint64 i = 0; i < 111; ++i)
        window.txtReceive->AppendLine(QString::number(i), {1, i * i});
    window.txtReceive->Flush();
    EXPECT_EQ(window.txtReceive->LinesGone(), 11);
    window.txtReceive->ShowTimes(ReceiveArea::Times::SincePrevious);
    window.txtReceive->verticalScrollBar()->setValue(0);
    EXPECT_EQ(window.txtReceive->TimesInView().front().text, "+0.021");
    window.txtReceive->Clear();
    EXPECT_TRUE(window.txtReceive->TimesInView().isEmpty());
}

TEST_F(Area, ViewFollowsAgainOnceBroughtBackToTheEndByAnyMeans)
{
    QScrollBar* bar = window.txtReceive->verticalScrollBar();
    QWidget* viewport = window.txtReceive->viewport();
    Add(0, 100);
    auto following = [&](int from) {
        Add(from, 3);
        return bar->value() == bar->maximum();
    };
    // The right button opens the menu, which takes its release.
    QTest::mousePress(viewport, Qt::RightButton, {}, QPoint(4, 4));
    if (QWidget* menu = QApplication::activePopupWidget())
        menu->close();
    EXPECT_TRUE(following(100));

    // The thumb held at the bottom while the end moves on, then let go.
    bar->setSliderDown(true);
    bar->setSliderPosition(bar->maximum() - 1);
    bar->setSliderPosition(bar->maximum());
    const QString held = TopLine();
    Add(103, 5);
    EXPECT_EQ(TopLine(), held);
    bar->setSliderDown(false);
    EXPECT_TRUE(following(108));

    // A wheel turn down that shows the end catches up with it.
    bar->setValue(bar->maximum() - 2);
    EXPECT_FALSE(following(111));
    QWheelEvent wheel(QPointF(4, 4), viewport->mapToGlobal(QPointF(4, 4)), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_TRUE(following(114));

    // The scroll bar's "Bottom", and Ctrl+End in the send box, which keeps the focus.
    bar->setValue(0);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_TRUE(following(117));
    bar->setValue(0);
    EXPECT_FALSE(following(120));
    QTest::keyClick(window.txtSend, Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(following(123));
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);
}

TEST_F(Area, TimesShowInAMarginWithoutMovingTheViewOrTheSelectionAndAreSaved)
{
    ReceiveArea& area = *window.txtReceive;
    for (int i = 0; i < 100; ++i)
        area.AppendLine(QString("line %1").arg(i), {(3600 + i) * 1000, (3600 + i) * 1000});
    area.AppendLine(u"untimed");
    area.Flush();
    QScrollBar* bar = area.verticalScrollBar();
    bar->setValue(40);
    area.Select({50, 0}, {50, 7});
    const QString top = TopLine();
    area.ShowTimes(ReceiveArea::Times::OfDay);
    EXPECT_EQ(TopLine(), top);
    EXPECT_EQ(area.SelectionStart(), (ReceiveArea::Position{50, 0}));
    area.copy(); // what is shown
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "01:00:50.000 line 50");
    EXPECT_FALSE(area.Following());
    QTemporaryDir folder;
    ASSERT_EQ(area.SaveTo(folder.filePath("saved.txt")), "");
    const std::vector<std::string> saved = LinesOf(folder.filePath("saved.txt").toStdString());
    EXPECT_EQ(saved.size(), 101);
    EXPECT_EQ(saved[1], "01:00:01.000 line 1");
    EXPECT_EQ(saved[100], "             untimed");
    area.ScrollToEnd();
    area.ShowTimes(ReceiveArea::Times::Hidden);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(area.Following());
}

TEST_F(Area, TimesSinceThePreviousLineCountOnAcrossMidnightAndAClearAndAreCopied)
{
    ReceiveArea& area = *window.txtReceive;
    constexpr qint64 DAY = 86'400'000, CLOCK = 20'000 * DAY;
    const auto add = [&](const char* line, qint64 clock) {
        area.AppendLine(QString::fromUtf8(line), {static_cast<int>(clock % DAY), clock});
    };
    add("first", CLOCK + DAY - 2);
    add("after\u2029midnight", CLOCK + DAY + 10); // one line, not two
    area.AppendLine(u"untimed");
    add("a minute on", CLOCK + DAY + 65'260);
    add("clock set back", CLOCK);
    area.AppendMark(u"step", QString("one%1line").arg(QChar(QChar::ParagraphSeparator)), {0, CLOCK});
    area.Flush();
    area.ShowTimes(ReceiveArea::Times::SincePrevious);
    area.selectAll();
    area.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "           first\n"
                                                                  "    +0.012 after\uFFFDmidnight\n"
                                                                  "           untimed\n"
                                                                  " +1:05.250 a minute on\n"
                                                                  "    +0.000 clock set back\n"
                                                                  "    +0.000 \tstep\tone\uFFFDline\n");
    area.Clear();
    add("a day on", CLOCK + 27 * 3'600'000);
    area.Flush();
    QList<QString> shown;
    for (const ReceiveArea::TimeInView& time : area.TimesInView())
        shown.push_back(time.text);
    EXPECT_EQ(shown, QList<QString>{"+27:00:00.000"});
}

TEST_F(Area, BytesShowAfterEachLineThatCameWithThemAndAreCopiedAndSaved)
{
    using namespace std::literals;
    ReceiveArea& area = *window.txtReceive;
    area.AppendLine(u"OK", {}, {"OK\r", "\n\0"sv, false});
    area.AppendLine(u"受信", {}, {"\x8e\xf3\x90\x4d\r", {}, false});
    area.AppendLine(u"long", {}, {"long\r", {}, true});
    area.AppendMark(u"open", u"demo");
    area.ShowBytes(true);
    const QString shown =
        "OK\t4F 4B 0D [0A 00]\n受信\t8E F3 90 4D 0D\nlong\t6C 6F 6E 67 0D …\n\topen\tdemo\n";
    EXPECT_EQ(area.toPlainText(), shown);
    area.selectAll();
    area.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), shown);
    QTemporaryDir folder;
    ASSERT_EQ(area.SaveTo(folder.filePath("saved.txt")), "");
    EXPECT_EQ(LinesOf(folder.filePath("saved.txt").toStdString())[0], "OK\t4F 4B 0D [0A 00]");
    area.ShowBytes(false);
    EXPECT_EQ(area.toPlainText(), "OK\n受信\nlong\n\topen\tdemo\n");
}

TEST(LineStore, KeepsEachCharacterAndForgetsTheOldestByLineThenByBlock)
{
    LineStore lines;
    lines.Append(u"ascii \u00ff", LineStore::Look::Plain, 0, LineStore::NO_TIME);
    lines.Append(u"受信 \u00ff", LineStore::Look::Plain, 0, LineStore::NO_TIME);
    EXPECT_EQ(lines.StringOf(0), u"ascii \u00ff");
    EXPECT_EQ(lines.StringOf(1), u"受信 \u00ff");
    lines.DropBefore(1, SIZE_MAX);
    EXPECT_EQ(lines.First(), 1);
    // A line too long for the block takes one of its own; beyond the bytes
    // the oldest blocks go whole, the newest staying.
    lines.Append(QString(LineStore::BLOCK_BYTES, u'x'), LineStore::Look::Plain, 0, LineStore::NO_TIME);
    lines.Append(u"last", LineStore::Look::Plain, 0, LineStore::NO_TIME);
    lines.DropBefore(0, 2 * LineStore::BLOCK_BYTES);
    EXPECT_EQ(lines.First(), 3);
    EXPECT_EQ(lines.StringOf(3), "last");
    lines.DropBefore(0, 0);
    EXPECT_EQ(lines.First(), 3);
}

TEST_F(Area, ControlCharactersShowAsTheFontsBoxAmongPlainText)
{
    ReceiveArea& area = *window.txtReceive;
    area.AppendLine(u"A\u007fB\u0085C");
    area.AppendLine(u"ABC");
    area.AppendLine(u"A B C");
    area.Flush();
    const QImage shown = area.viewport()->grab().toImage();
    const int height = area.fontMetrics().lineSpacing();
    auto line = [&](int i) { return shown.copy(0, ReceiveArea::MARGIN + i * height, shown.width(), height); };
    EXPECT_NE(line(0), line(1));
    EXPECT_NE(line(0), line(2));
}

TEST_F(Area, AFrameRepaintsNoFurtherRightThanLinesWereAndAreYetLeavesNothingOfThem)
{
    ReceiveArea& area = *window.txtReceive;
    area.AppendLine(QString(40, u'W'));
    area.Flush();
    Add(0, 40); // the long line leaves the view
    EXPECT_EQ(OnScreen(), Repainted());
    Paints paints;
    area.viewport()->installEventFilter(&paints);
    Add(40, 1);
    ASSERT_EQ(paints.regions.size(), 1u);
    EXPECT_LT(paints.regions[0].boundingRect().width(), area.viewport()->width() / 2);
    EXPECT_EQ(OnScreen(), Repainted());
}

TEST(ThumbBar, AtTheEndRepaintsAroundItsThumbAloneAndLooksAsIfPaintedWhole)
{
    ThumbBar bar(Qt::Vertical);
    bar.resize(16, 300);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    bar.Show(20, 10, 5);
    QTest::qWait(100); // a platform may paint a new window more than once
    Paints paints;
    bar.installEventFilter(&paints);
    bar.Show(20, 10, 5);
    QCoreApplication::processEvents();
    EXPECT_TRUE(paints.regions.empty());
    bar.Show(20, 10, 20);
    QCoreApplication::processEvents();
    paints.regions.clear();
    bar.Show(30, 10, 30);
    QCoreApplication::processEvents();
    ASSERT_EQ(paints.regions.size(), 1u);
    EXPECT_FALSE(paints.regions[0].contains(QPoint(8, 100)));
    EXPECT_EQ(bar.screen()->grabWindow(bar.winId()).toImage(), bar.grab().toImage());
}
