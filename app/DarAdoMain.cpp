#include "app/DarAdoMain.h"

#include <QTimer>

#include "app/Program.h"
#include "devicelink/CodePage.h"

namespace DarAdoMain {

int Main(const SessionOptions& options)
{
    Program program(options);
    program.window.Form_Load();
    if (!options.device.isEmpty())
        program.window.SetDeviceText(options.device);
    // Told once, at start, rather than as a false reason on every line sent.
    if (auto missing = MissingConverter())
        program.messages.ShowMessage(*missing);
    program.follower.Toggle.setChecked(options.reopen);
    program.aids.ShowTimes.setChecked(options.times);
    program.aids.ShowSent.setChecked(options.echo);
    QTimer::singleShot(0, &program.devices, [&program] { program.StartDeviceList(); });
    if (options.open)
        program.window.PressOpenSoon();
    program.script.tapPath = options.tap;
    program.script.junitPath = options.junit;
    if (!options.script.empty())
        QTimer::singleShot(0, &program.script,
                           [&program, &options] { program.script.Start(options.script); });
    program.loop.Run();
    return 0;
}

} // namespace DarAdoMain
