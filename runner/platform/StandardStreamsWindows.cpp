#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "runner/StandardStreams.h"

void PrepareStandardStreams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}
