#include "engine/platform/console_output.h"

#include <windows.h>

#include <cstdlib>

namespace hz {

namespace {

UINT previousCodePage = 0;

// The console outlives the program: the shell that started it gets its own code page back.
void RestoreCodePage() {
    SetConsoleOutputCP(previousCodePage);
}

bool IsConsole(DWORD stream) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stream), &mode) != 0;
}

} // namespace

void UseUtf8ConsoleOutput() {
    if (!IsConsole(STD_OUTPUT_HANDLE) && !IsConsole(STD_ERROR_HANDLE)) {
        return;
    }
    const UINT current = GetConsoleOutputCP();
    if (current == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) {
        return;
    }
    previousCodePage = current;
    std::atexit(RestoreCodePage);
}

} // namespace hz
