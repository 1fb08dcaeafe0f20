#include "DarAdoMain.h"

#include "CodePage932.h"
#include "Program.h"

namespace DarAdoMain {

int Main()
{
    Program program;
    program.window.Form_Load();
    // Told once, at start, rather than as a false reason on every line sent.
    if (auto missing = MissingConverter())
        program.messages.ShowMessage(*missing);
    program.loop.Run();
    return 0;
}

} // namespace DarAdoMain
