// Tells, before the toolkit starts, whether there is a display to start on,
// so that a missing or unreachable display gives one clear sentence instead
// of the toolkit's abort.
#pragma once

#include <string>

// Empty when the program can try to start; otherwise the sentence to print.
// A platform chosen through QT_QPA_PLATFORM and a Wayland display are taken
// as they are; a local X display (":N") must accept a connection.
std::string DisplayProblem();
