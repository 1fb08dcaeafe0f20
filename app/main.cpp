#include <QApplication>
#include <cstdio>
#include <memory>

#include "app/ArgumentText.h"
#include "app/CommandLine.h"
#include "app/DarAdoMain.h"
#include "app/DisplayGuard.h"
#include "common/Arguments.h"
#include "common/Console.h"
#include "window/AppIcon.h"

int main(int argc, char* argv[])
{
    // Help, version and usage errors need no display.
    const CommandLine commandLine = ParseCommandLine(ArgumentsAsText(ProgramArguments(argc, argv)));
    if (commandLine.exitStatus) {
        PrintToParentConsole();
        std::fputs(qPrintable(commandLine.output), *commandLine.exitStatus == 0 ? stdout : stderr);
        return *commandLine.exitStatus;
    }

    auto guard = std::make_unique<DisplayGuard>(argc > 0 ? argv[0] : "pellmark");
    QApplication application(argc, argv);
    guard.reset();
    QApplication::setApplicationName(QStringLiteral("Pellmark"));
    QApplication::setApplicationVersion(QStringLiteral(PELLMARK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PELLMARK_APP_ID));
    QApplication::setWindowIcon(AppIcon());
    return DarAdoMain::Main(commandLine.session);
}
