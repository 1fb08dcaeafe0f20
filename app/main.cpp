#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "AppIcon.h"
#include "DarAdoMain.h"

namespace {

// Without a display Qt would stop with a message about platform plugins that
// tells a new user nothing; say what is missing and how to go on instead.
bool DisplayMissing()
{
#if defined(Q_OS_LINUX)
    auto unset = [](const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr || *value == '\0';
    };
    return unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM");
#else
    return false;
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    if (DisplayMissing()) {
        std::fprintf(stderr,
                     "pellmark: no display found (DISPLAY is not set).\n"
                     "Start it from a desktop session, or under a virtual display (apt-get install xvfb):\n"
                     "  xvfb-run -a %s\n",
                     argv[0]);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellmark"));
    QApplication::setWindowIcon(AppIcon());
    return DarAdoMain::Main();
}
