#include "app/DisplayGuard.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Held {
    QtMsgType type;
    // The context's strings are literals, which live as long as the program.
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::string guardedProgram;
std::vector<Held> held;

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

void Guard(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        held.push_back({type, context.file, context.line, context.function, context.category, text});
        return;
    }
    std::fprintf(stderr, "%s\n", DisplayProblem(guardedProgram).c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

std::string DisplayProblem(const std::string& programName)
{
    const std::string platform = Variable("QT_QPA_PLATFORM");
    const std::string display = Variable("DISPLAY");
    std::string problem;
    if (!platform.empty() && platform != "xcb")
        problem = "the display platform \"" + platform + "\" (QT_QPA_PLATFORM) cannot be started";
    else if (!display.empty())
        problem = "the display \"" + display + "\" cannot be opened";
    else if (!Variable("WAYLAND_DISPLAY").empty())
        problem = "no X display is set (DISPLAY is empty) and this Wayland session offers none";
    else
        problem = "no display is set (DISPLAY is empty)";
    return "pellmark: " + problem +
           "; start it from a desktop session, or under a virtual display with: " + "xvfb-run -a " +
           programName;
}

DisplayGuard::DisplayGuard(std::string programName)
{
    guardedProgram = std::move(programName);
    previousHandler = qInstallMessageHandler(Guard);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(previousHandler);
    for (const Held& message : held) {
        const QMessageLogContext context(message.file, message.line, message.function, message.category);
        qt_message_output(message.type, context, message.text);
    }
    held.clear();
}
