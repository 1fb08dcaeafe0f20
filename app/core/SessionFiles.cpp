#include "SessionFiles.h"

#include "LocalTime.h"
#include "MessageSink.h"
#include "TextEscape.h"

namespace {

std::unique_ptr<AppendFile> Opened(const std::filesystem::path& path,
                                   const std::function<void()>& problemArrived)
{
    return path.empty() ? nullptr : std::make_unique<AppendFile>(path, problemArrived);
}

} // namespace

SessionFiles::SessionFiles(const std::filesystem::path& logPath, const std::filesystem::path& tracePath,
                           MessageSink& messages, const std::function<void()>& problemArrived)
    : log_(Opened(logPath, problemArrived)), trace_(Opened(tracePath, problemArrived)), messages_(messages)
{
}

void SessionFiles::LogLine(std::u16string_view line)
{
    if (log_)
        log_->Line(LocalTimeText(std::chrono::system_clock::now()), Utf8(line));
}

void SessionFiles::LogMark(std::string_view kind, std::u16string_view text)
{
    if (log_)
        log_->Mark(LocalTimeText(std::chrono::system_clock::now()), kind, EscapedText(text));
}

void SessionFiles::ReportProblems()
{
    for (AppendFile* file : {log_.get(), trace_.get()})
        if (file)
            if (std::optional<std::string> problem = file->TakeProblem())
                messages_.ShowMessage(*problem);
}
