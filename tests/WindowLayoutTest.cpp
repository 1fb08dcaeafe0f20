#include <QAccessible>
#include <QFontInfo>
#include <QSignalSpy>

#include "tests/support/WindowFixture.h"
#include "window/AppIcon.h"
#include "window/FontFit.h"

namespace {

struct Layout : WindowFixture {
    void SetUp() override { ShowWindow(); }
};

} // namespace

TEST_F(Layout, ControlsSitWhereTheTwipsPutThem)
{
    EXPECT_EQ(window.size(), QSize(418, 484));
    EXPECT_EQ(window.minimumSize(), window.size());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("USB 送受信 (by MpUsbApi.dll)"));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);

    const std::pair<QWidget*, QRect> expected[] = {
        {window.Label1, QRect(16, 11, 81, 17)},    {window.sbrMessage, QRect(0, 467, 418, 17)},
        {window.cmbDesc, QRect(80, 8, 129, 20)},   {window.cmdPrepare, QRect(216, 8, 57, 17)},
        {window.cmdClose, QRect(280, 8, 57, 17)},  {window.cmdCls, QRect(344, 8, 57, 17)},
        {window.txtSend, QRect(128, 40, 185, 23)}, {window.txtReceive, QRect(8, 72, 401, 393)},
        {window.Label2, QRect(16, 40, 105, 25)},   {window.cmdSend, QRect(336, 40, 57, 23)},
    };
    for (const auto& [control, rect] : expected)
        EXPECT_EQ(control->geometry(), rect) << control->metaObject()->className();
    // The receive area ends 2 pixels above the status bar.
    EXPECT_EQ(window.sbrMessage->geometry().top() - window.txtReceive->geometry().bottom() - 1, 2);

    // Made larger, the buttons keep their size and their distance from the
    // right edge; the boxes take the width, the receive area both; the find
    // bar stays at its top right. Back at the layout's size, all is as it was.
    window.findBar->Open();
    auto findBarGap = [this] {
        return window.txtReceive->geometry().right() - window.findBar->geometry().right();
    };
    const int gap = findBarGap();
    window.resize(1000, 800);
    const int wider = 1000 - 418, taller = 800 - 484;
    for (const auto& [control, rect] : expected) {
        QRect grown = rect;
        if (qobject_cast<QPushButton*>(control))
            grown.translate(wider, 0);
        else if (control == window.cmbDesc || control == window.txtSend)
            grown.adjust(0, 0, wider, 0);
        else if (control == window.txtReceive)
            grown.adjust(0, 0, wider, taller);
        else if (control == window.sbrMessage)
            grown.setRect(0, 800 - rect.height(), 1000, rect.height());
        EXPECT_EQ(control->geometry(), grown) << control->metaObject()->className();
    }
    EXPECT_EQ(findBarGap(), gap);
    window.resize(100, 100);
    EXPECT_EQ(window.size(), QSize(418, 484));
    for (const auto& [control, rect] : expected)
        EXPECT_EQ(control->geometry(), rect) << control->metaObject()->className();
}

TEST_F(Layout, CaptionsTextsAndColours)
{
    EXPECT_EQ(window.Label1->text(), "Target USB");
    EXPECT_EQ(window.Label2->text(), "Send Message");
    EXPECT_EQ(window.cmdPrepare->text(), "Open(&O)");
    EXPECT_EQ(window.cmdClose->text(), "Close(&C)");
    EXPECT_EQ(window.cmdCls->text(), "CLS");
    EXPECT_EQ(window.cmdSend->text(), "Send");
    EXPECT_TRUE(window.cmbDesc->isEditable());
    EXPECT_TRUE(window.txtSend->text().isEmpty());
    EXPECT_TRUE(window.txtReceive->toPlainText().isEmpty());
    EXPECT_TRUE(window.sbrMessage->StatusText().isEmpty());

    const QColor cyan(128, 255, 255);
    EXPECT_EQ(window.palette().color(QPalette::Window), cyan);
    EXPECT_EQ(window.Label1->palette().color(QPalette::Window), cyan);
    EXPECT_EQ(window.Label2->palette().color(QPalette::Window), cyan);
    EXPECT_NE(window.sbrMessage->palette().color(QPalette::Window), cyan);

    EXPECT_EQ(window.txtReceive->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(window.txtReceive->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    // A screen reader hears the captions, without their access-key marks.
    const std::pair<QWidget*, const char*> spoken[] = {
        {window.txtSend, "Send Message"}, {window.cmdPrepare, "Open(O)"},
        {window.cmdClose, "Close(C)"},    {window.cmdCls, "CLS"},
        {window.cmdSend, "Send"},         {window.txtReceive, "Received lines"}};
    for (const auto& [control, name] : spoken)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), name);
    // It reaches the received lines in view as text.
    window.txtReceive->AppendLine(u"heard");
    window.txtReceive->AppendLine(u"seen");
    window.txtReceive->Flush();
    QAccessibleTextInterface* received =
        QAccessible::queryAccessibleInterface(window.txtReceive)->textInterface();
    ASSERT_TRUE(received);
    EXPECT_EQ(received->text(0, received->characterCount()), "heard\nseen");
    // The combo box's name is its text; its label is named by a relation.
    auto labels = QAccessible::queryAccessibleInterface(window.cmbDesc)->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.first().first->text(QAccessible::Name), "Target USB");
    window.sbrMessage->SetStatusText("Received");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window.sbrMessage)->text(QAccessible::Name), "Received");
}

TEST_F(Layout, FontsResolveToJapaneseFaces)
{
    QFontInfo receive(window.txtReceive->font());
    EXPECT_EQ(receive.family(), "IPAGothic");
    EXPECT_DOUBLE_EQ(receive.pointSizeF(), 13.5);
    QFontMetrics metrics(window.txtReceive->font());
    EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
    QFontInfo label(window.Label2->font());
    EXPECT_EQ(label.family(), "IPAPGothic");
    EXPECT_LE(label.pointSizeF(), 12);
    EXPECT_GE(label.pointSizeF(), 12 * 0.75);
    EXPECT_LE(window.font().pointSizeF(), 9);
    EXPECT_GE(window.font().pointSizeF(), 9 * 0.75);
    EXPECT_EQ(label.weight(), QFont::Normal);

    // The stand-in faces are wider than the originals: their sizes are chosen
    // so that each caption and the default identifier show whole.
    EXPECT_EQ(QFontInfo(window.cmdPrepare->font()).family(), "IPAPGothic");
    const std::pair<QWidget*, const char*> texts[] = {
        {window.Label1, "Target USB"},         {window.Label2, "Send Message"},
        {window.cmbDesc, "vid_04d8&pid_0011"}, {window.cmdPrepare, "Open(O)"},
        {window.cmdClose, "Close(C)"},         {window.cmdSend, "Send"}};
    for (const auto& [control, text] : texts)
        EXPECT_LE(QFontMetricsF(control->font(), control).horizontalAdvance(text), TextRoom(control)) << text;
    const int edit = window.cmbDesc->lineEdit()->width();
    EXPECT_LE(QFontMetricsF(window.cmbDesc->font(), window.cmbDesc).horizontalAdvance("vid_04d8&pid_0011"),
              edit - 5);
}

TEST_F(Layout, FocusStartsInTheComboAndTabFollowsTheTabIndex)
{
    EXPECT_EQ(QApplication::focusWidget(), window.cmbDesc);
    QStringList chain;
    for (QWidget* w = window.cmbDesc; chain.size() < 7; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus && w->parentWidget() == &window)
            chain << w->objectName();
    EXPECT_EQ(chain.join(' ').toStdString(), "cmbDesc cmdPrepare cmdClose cmdCls txtSend txtReceive cmdSend");

    // Close is disabled while Idle and so skipped; the receive area hands the
    // focus straight back, so Tab in the send box stays there.
    QWidget* order[] = {window.cmdPrepare, window.cmdCls, window.txtSend, window.txtSend};
    for (QWidget* next : order) {
        QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), next->objectName().toStdString());
    }
    // Send is reached backwards from the combo box.
    window.cmbDesc->setFocus();
    QTest::keyClick(window.windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window.cmdSend);

    for (QWidget* never : {static_cast<QWidget*>(window.Label1), static_cast<QWidget*>(window.Label2),
                           static_cast<QWidget*>(window.sbrMessage)})
        EXPECT_EQ(never->focusPolicy(), Qt::NoFocus);
}

TEST_F(Layout, AccessKeysPressEnabledButtonsOnlyAndThereIsNoDefaultButton)
{
    QSignalSpy open(window.cmdPrepare, &QPushButton::clicked);
    QSignalSpy close(window.cmdClose, &QPushButton::clicked);
    QSignalSpy send(window.cmdSend, &QPushButton::clicked);
    QSignalSpy cls(window.cmdCls, &QPushButton::clicked);
    const int entries = window.cmbDesc->count();
    // An access key presses its button visibly, so the click comes a moment later.
    window.cmdClose->setEnabled(true);
    QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(open.wait(1000));
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(close.wait(1000));

    window.cmdClose->setEnabled(false);
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    EXPECT_FALSE(close.wait(300));
    // Nor does an access key type its letter, whichever box has the focus.
    for (QWidget* box : {static_cast<QWidget*>(window.txtSend), static_cast<QWidget*>(window.cmbDesc)}) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_C, Qt::AltModifier);
        QTest::keyClick(box, Qt::Key_X, Qt::AltModifier);
    }
    EXPECT_EQ(window.txtSend->text(), "");
    EXPECT_EQ(window.cmbDesc->currentText(), "vid_04d8&pid_0011");

    for (QWidget* box : {static_cast<QWidget*>(window.txtSend), static_cast<QWidget*>(window.cmbDesc)}) {
        box->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }
    QTest::qWait(300);
    EXPECT_EQ(open.count() + close.count() + send.count() + cls.count(), 2);
    EXPECT_EQ(window.cmbDesc->count(), entries); // Enter adds no list entry
}

TEST_F(Layout, ComboBoxIsDrawnAboveTheLabelThatReachesUnderIt)
{
    QPoint overlap = window.cmbDesc->geometry().topLeft() + QPoint(2, 5);
    ASSERT_TRUE(window.Label1->geometry().contains(overlap));
    QWidget* hit = window.childAt(overlap);
    EXPECT_TRUE(hit == window.cmbDesc || window.cmbDesc->isAncestorOf(hit));
}

TEST(AppIconImage, TwoYellowGearsTwoCyanGearsOnTransparency)
{
    QImage icon = AppIconImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_LE(icon.colorCount(), 16);
    int yellow = 0, cyan = 0, black = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            QColor c = icon.pixelColor(x, y);
            yellow += c == QColor(Qt::yellow);
            cyan += c == QColor(Qt::cyan);
            black += c == QColor(Qt::black);
        }
    EXPECT_EQ(icon.pixelColor(0, 31).alpha(), 0);
    EXPECT_EQ(icon.pixelColor(31, 0).alpha(), 0);
    EXPECT_GT(yellow, 200);
    EXPECT_GT(cyan, 20);
    EXPECT_GT(black, 50);
    // Large gears at the upper right and lower left, small ones in the other corners.
    EXPECT_EQ(icon.pixelColor(24, 6), QColor(Qt::yellow));
    EXPECT_EQ(icon.pixelColor(6, 24), QColor(Qt::yellow));
    EXPECT_EQ(icon.pixelColor(4, 4), QColor(Qt::cyan));
}
