#include "session/SessionFiles.h"

#include <algorithm>

#include "common/LocalTime.h"
#include "common/TextEscape.h"
#include "devicelink/MessageSink.h"

SessionFiles::SessionFiles(const std::filesystem::path& logPath, const std::filesystem::path& tracePath,
                           MessageSink& messages, const std::function<void()>& problemArrived,
                           std::string heading)
    : trace_(tracePath.empty() ? nullptr : std::make_unique<AppendFile>(tracePath, problemArrived)),
      tracePath_(tracePath), messages_(messages), problemArrived_(problemArrived),
      heading_(std::move(heading))
{
    if (!logPath.empty())
        StartLog(logPath);
}

SessionFiles::~SessionFiles()
{
    for (AppendFile* file : {log_.get(), trace_.get()})
        if (file)
            file->Finish();
}

void SessionFiles::LogLine(std::u16string_view line, Time time)
{
    if (log_)
        log_->Line(LocalTimeText(time), Utf8WithoutControls(line));
}

void SessionFiles::LogMark(std::string_view kind, std::u16string_view text, Time time)
{
    if (log_)
        log_->Mark(LocalTimeText(time), kind, EscapedText(text));
}

void SessionFiles::StartLog(const std::filesystem::path& path)
{
    StopLog();
    log_ = std::make_unique<AppendFile>(path, problemArrived_);
    logPath_ = path;
    if (!heading_.empty())
        log_->Mark(LocalTimeText(std::chrono::system_clock::now()), "start",
                   heading_ + ", running since " + LocalTimeText(began_));
}

void SessionFiles::StopLog()
{
    if (!log_)
        return;
    log_->Finish();
    stopped_.push_back(std::move(log_));
    logPath_.clear();
}

void SessionFiles::ReportProblems()
{
    auto report = [this](AppendFile* file) {
        if (std::optional<std::string> problem = file->TakeProblem())
            messages_.ShowMessage(*problem);
    };
    for (const auto& stopped : stopped_)
        report(stopped.get());
    std::erase_if(stopped_, [](const auto& stopped) { return stopped->Finished(); });
    if (trace_)
        report(trace_.get());
    if (log_) {
        report(log_.get());
        if (log_->Failed()) {
            StopLog();
            if (LogFailed)
                LogFailed();
        }
    }
}
