#include "DarAdoMain.h"

#include <QTimer>

#include "CodePage.h"
#include "Program.h"

namespace DarAdoMain {

int Main(const SessionOptions& options)
{
    Program program(options);
    program.window.Form_Load();
    if (!options.device.isEmpty())
        program.window.cmbDesc->setEditText(options.device); // the list keeps its entry
    // Told once, at start, rather than as a false reason on every line sent.
    if (auto missing = MissingConverter())
        program.messages.ShowMessage(*missing);
    program.follower.Toggle.setChecked(options.reopen);
    // The list is filled once the window has been painted, so that starting
    // the USB library does not delay it.
    QTimer::singleShot(0, &program.devices, [&program] {
        program.news.Start();
        program.devices.Fill();
    });
    if (options.open)
        QTimer::singleShot(0, program.window.cmdPrepare, &QPushButton::click);
    program.loop.Run();
    return 0;
}

} // namespace DarAdoMain
