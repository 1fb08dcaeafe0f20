// Each line's time beside it, and in what is copied and saved.
#include <QMimeData>
#include <QScrollBar>
#include <QTime>

#include "window/ReceiveArea.h"
#include "window/TimeMargin.h"

namespace {

// "+0.012", "+1:05.250", "+2:00:07.000": as long as the time needs.
QString SinceText(qint64 ms)
{
    const qint64 hours = ms / 3'600'000, minutes = ms / 60'000 % 60;
    QString seconds = QStringLiteral("%1.%2").arg(ms / 1000 % 60).arg(ms % 1000, 3, 10, QChar(u'0'));
    if (hours == 0 && minutes == 0)
        return u'+' + seconds;
    seconds = seconds.rightJustified(6, u'0');
    if (hours == 0)
        return QStringLiteral("+%1:%2").arg(minutes).arg(seconds);
    return QStringLiteral("+%1:%2:%3").arg(hours).arg(minutes, 2, 10, QChar(u'0')).arg(seconds);
}

} // namespace

QString ReceiveArea::TimeText(const QTextBlock& block) const
{
    if (times_ == Times::SincePrevious) {
        const std::size_t line = static_cast<std::size_t>(block.blockNumber());
        return line < since_.size() && since_[line] != NO_TIME ? SinceText(since_[line]) : QString();
    }
    return block.userState() == NO_TIME
               ? QString()
               : QTime::fromMSecsSinceStartOfDay(block.userState()).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString ReceiveArea::TimedText(int start, int end) const
{
    // Times up to an hour since the line before keep to one column, as the times of day do.
    const int column = times_ == Times::OfDay ? 12 : 10;
    QString text;
    for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        const int from = std::max(start - block.position(), 0),
                  lineEnd = block.position() + block.length() - 1;
        text += TimeText(block).rightJustified(column) + u' ' +
                block.text().mid(from, std::min(end, lineEnd) - block.position() - from);
        if (end > lineEnd)
            text += u'\n';
    }
    return text;
}

QMimeData* ReceiveArea::createMimeDataFromSelection() const
{
    if (times_ == Times::Hidden)
        return QPlainTextEdit::createMimeDataFromSelection();
    auto* data = new QMimeData;
    data->setText(TimedText(textCursor().selectionStart(), textCursor().selectionEnd()));
    return data;
}

void ReceiveArea::ShowTimes(Times shown)
{
    if (shown == times_)
        return;
    Flush();
    const bool following = following_;
    const int topBlock = firstVisibleBlock().blockNumber();
    times_ = shown;
    delete std::exchange(timeMargin_, nullptr);
    if (shown != Times::Hidden) {
        timeMargin_ = new TimeMargin(*this);
        timeMargin_->show();
    }
    // The text narrows or widens; the same line stays at the top.
    setViewportMargins(TimeMargin::WidthFor(fontMetrics(), shown), 0, 0, 0);
    QScrollBar* bar = verticalScrollBar();
    adjusting_ = true;
    bar->setValue(following ? bar->maximum() : document()->findBlockByNumber(topBlock).firstLineNumber());
    adjusting_ = false;
    following_ = following;
}

QList<ReceiveArea::TimeInView> ReceiveArea::TimesInView() const
{
    QList<TimeInView> times;
    const QPointF offset = contentOffset();
    for (const QTextBlock& block : BlocksInView())
        if (QString text = TimeText(block); !text.isEmpty())
            times.push_back({blockBoundingGeometry(block).translated(offset).top(), std::move(text)});
    return times;
}
