#include "DarAdoMain.h"

#include "Program.h"

namespace DarAdoMain {

int Main()
{
    Program program;
    program.window.Form_Load();
    program.loop.Run();
    return 0;
}

} // namespace DarAdoMain
