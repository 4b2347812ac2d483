#pragma once

namespace hz {

// Lets a console show the UTF-8 text that the program writes to its standard output and error. On Windows a
// console's output code page becomes UTF-8 (65001) until the program ends; bytes that go to a pipe or a file are
// the same on every system.
void UseUtf8ConsoleOutput();

} // namespace hz
