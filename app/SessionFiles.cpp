#include "SessionFiles.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "LocalTime.h"
#include "MessageSink.h"
#include "TextEscape.h"

namespace {

std::unique_ptr<AppendFile> Opened(const std::filesystem::path& path)
{
    if (path.empty())
        return nullptr;
    // A problem met on the writer thread wakes the loop, which may be waiting
    // for the window's next event, so that it is told at once.
    return std::make_unique<AppendFile>(path, [] {
        if (QCoreApplication* application = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                application, [] {}, Qt::QueuedConnection);
    });
}

} // namespace

SessionFiles::SessionFiles(const std::filesystem::path& logPath, const std::filesystem::path& tracePath,
                           MessageSink& messages)
    : log_(Opened(logPath)), trace_(Opened(tracePath)), messages_(messages)
{
}

void SessionFiles::LogLine(std::u16string_view line)
{
    if (log_)
        log_->Line(LocalTimeText(std::chrono::system_clock::now()), Utf8(line));
}

void SessionFiles::ReportProblems()
{
    for (AppendFile* file : {log_.get(), trace_.get()})
        if (file)
            if (std::optional<std::string> problem = file->TakeProblem())
                messages_.ShowMessage(*problem);
}
