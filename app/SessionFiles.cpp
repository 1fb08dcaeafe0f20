#include "SessionFiles.h"

#include <QDateTime>
#include <QFile>

#include "MessageSink.h"

namespace {

std::unique_ptr<AppendFile> Opened(const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    return std::make_unique<AppendFile>(QFile::encodeName(path).toStdString());
}

} // namespace

SessionFiles::SessionFiles(const QString& logPath, const QString& tracePath, MessageSink& messages)
    : log_(Opened(logPath)), trace_(Opened(tracePath)), messages_(messages)
{
}

void SessionFiles::LogLine(QStringView line)
{
    if (!log_)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    // Local time with its offset from UTC, so the log reads the same anywhere.
    const QString stamp = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs);
    log_->Append((stamp + u' ' + line.toString() + u'\n').toStdString());
}

void SessionFiles::ReportProblems()
{
    for (AppendFile* file : {log_.get(), trace_.get()})
        if (file)
            if (std::optional<std::string> problem = file->TakeProblem())
                messages_.ShowMessage(*problem);
}
