#include "common/Console.h"

void PrintToParentConsole() {}
