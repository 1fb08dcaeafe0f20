#include "app/DarAdoMain.h"

#include <QTimer>

#include "app/Program.h"
#include "devicelink/CodePage.h"

namespace DarAdoMain {

void Start(Program& program, const SessionOptions& options)
{
    if (options.remember)
        program.settings.Load(options.settingsFile.isEmpty() ? Settings::UsersFile() : options.settingsFile);
    program.window.Form_Load();
    if (!options.device.isEmpty())
        program.window.SetDeviceText(options.device);
    // Told once, at start, rather than as a false reason on every line sent.
    if (auto missing = MissingConverter())
        program.messages.ShowMessage(*missing);
    // The command line ticks what it asks for, for this run.
    if (options.reopen)
        program.follower.Toggle.setChecked(true);
    if (options.times)
        program.aids.ShowTimes.setChecked(true);
    if (options.echo)
        program.aids.ShowSent.setChecked(true);
    if (options.bytes)
        program.aids.ShowBytes.setChecked(true);
    program.settings.Watch();
    QTimer::singleShot(0, &program.devices, [&program] { program.StartDeviceList(); });
    if (options.open)
        program.window.PressOpenSoon();
    program.script.tapPath = options.tap;
    program.script.junitPath = options.junit;
    if (!options.script.empty())
        QTimer::singleShot(0, &program.script,
                           [&program, &options] { program.script.Start(options.script); });
}

int Main(const SessionOptions& options)
{
    Program program(options);
    Start(program, options);
    program.loop.Run();
    return 0;
}

} // namespace DarAdoMain
