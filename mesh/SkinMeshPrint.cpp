#include "mesh/SkinMeshPrint.h"

#include <cstdarg>
#include <cstdio>

#include "core/EConsole.h"

void SkinMeshPrint(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_Console.Print(line);
}
