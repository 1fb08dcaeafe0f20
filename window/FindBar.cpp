#include "window/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "window/ReceiveArea.h"

namespace {

constexpr int FIELD_WIDTH = 130;

} // namespace

FindBar::FindBar(ReceiveArea& area, QWidget& focusAfter, QWidget* parent)
    : QFrame(parent), Field(new QLineEdit(this)), Count(new QLabel(this)), area_(area),
      focusAfter_(focusAfter), search_(area)
{
    setObjectName(QStringLiteral("findBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 2, 3, 2);
    layout->addWidget(Field);
    layout->addWidget(Count);
    Field->setFixedWidth(FIELD_WIDTH);
    Count->setMinimumWidth(Count->fontMetrics().horizontalAdvance(QStringLiteral("9999999 matches")));
    Field->setPlaceholderText(QStringLiteral("Find"));
    Field->setAccessibleName(QStringLiteral("Find in received lines"));
    Field->setFocusPolicy(Qt::ClickFocus); // outside the Tab order
    Field->installEventFilter(this);
    connect(Field, &QLineEdit::textEdited, &search_, &ReceiveSearch::Find);
    connect(&search_, &ReceiveSearch::Changed, this, &FindBar::ShowCount);
    adjustSize();
    hide();
}

void FindBar::Open()
{
    if (isHidden()) {
        followedBefore_ = area_.Following();
        Place();
        raise();
        show();
        search_.ClearOfTop = height();
        if (!Field->text().isEmpty())
            search_.Find(Field->text());
    }
    Field->setFocus();
    Field->selectAll();
}

void FindBar::Place()
{
    // Inside the area's frame and clear of its scroll bar.
    const QRect place = area_.geometry();
    const int right = place.right() - area_.frameWidth() - area_.verticalScrollBar()->width();
    move(right - width(), place.top() + area_.frameWidth());
}

void FindBar::Close()
{
    hide();
    search_.Stop();
    focusAfter_.setFocus();
    if (followedBefore_)
        area_.ScrollToEnd();
}

void FindBar::ShowCount()
{
    const qint64 count = search_.Count();
    Count->setText(Field->text().isEmpty() ? QString()
                   : count == 0            ? QStringLiteral("no match")
                   : count == 1            ? QStringLiteral("1 match")
                                           : QStringLiteral("%1 matches").arg(count));
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Field || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Escape:
        Close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
        search_.Step(!(key->modifiers() & Qt::ShiftModifier));
        return true;
    default:
        return QFrame::eventFilter(watched, event);
    }
}
