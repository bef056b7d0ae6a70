#pragma once

#include <string>

// Prints the message, waits for Enter on a console (returns at once when standard input is
// closed or not a terminal with nothing to read) and ends the process with exit code 1.
[[noreturn]] void fatalStop(const std::string& message);

// The console wait on its own: returns after one line of input or at end of input.
void waitForKey();
