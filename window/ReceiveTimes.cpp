// Each line's time beside it, and in what is copied and saved.
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

QString ReceiveArea::TimeText(qint64 line) const
{
    if (line < store_.First())
        return {};
    if (times_ == Times::SincePrevious) {
        const qint64 since = store_.Since(line);
        return since == NO_TIME ? QString() : SinceText(since);
    }
    const int ofDay = store_.OfDay(line);
    return ofDay == NO_TIME ? QString()
                            : QTime::fromMSecsSinceStartOfDay(ofDay).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString ReceiveArea::ShownText(Position start, Position end) const
{
    // Times up to an hour since the line before keep to one column, as the times of day do.
    const int column = times_ == Times::OfDay ? 12 : 10;
    QString text;
    for (qint64 line = start.line; line <= end.line && line < EndLine(); ++line) {
        const qsizetype from = line == start.line ? start.column : 0;
        if (line == end.line && end.column <= from)
            break;
        if (times_ != Times::Hidden)
            text += TimeText(line).rightJustified(column) + u' ';
        const QString whole = LineText(line);
        text += QStringView(whole).mid(from, line == end.line ? end.column - from : -1);
        if (line != end.line)
            text += u'\n';
    }
    return text;
}

void ReceiveArea::ShowTimes(Times shown)
{
    if (shown == times_)
        return;
    Flush();
    times_ = shown;
    delete std::exchange(timeMargin_, nullptr);
    if (shown != Times::Hidden) {
        timeMargin_ = new TimeMargin(*this);
        timeMargin_->show();
    }
    // The text narrows or widens; the same line stays at the top.
    const bool following = following_;
    setViewportMargins(TimeMargin::WidthFor(fontMetrics(), shown), 0, 0, 0);
    if (!following)
        topHidden_ = 0;
    following_ = following;
}

QList<ReceiveArea::TimeInView> ReceiveArea::TimesInView() const
{
    QList<TimeInView> times;
    for (const LineInView& shown : LinesInView())
        if (QString text = TimeText(shown.line); !text.isEmpty())
            times.push_back({shown.top, std::move(text)});
    return times;
}
