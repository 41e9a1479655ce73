// Console output for a program that is a window program at heart: it writes lines to the
// console it was started from, or to a new one, and in UTF-8 wherever the console allows.
#pragma once

#include <string>

namespace hv {

// Gives the process a standard output: keeps one it has, else attaches to the parent's
// console, else allocates a new console. Raises Exception when none can be had.
void EnsureConsole();

// Writes one line to standard output. Once the console takes UTF-8 the text goes out as
// UTF-8, and output redirected to a new, empty file first gets the UTF-8 byte order mark.
void WriteConsoleLine(const std::wstring& text);

// Writes one line to standard output, whatever it is: a console, or a pipe or file (as
// UTF-8). A process without one attaches to its parent's console; with none there, or when
// the write fails, the line is dropped without an error.
void WriteStdOutLine(const std::wstring& line);

}  // namespace hv
