// The program's command line: nothing, or the one film file whose duration
// the window takes at start. There are no options.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
    std::string film;   // empty when none was given
    std::string error;  // non-empty: one line naming what is wrong; exit 2
};

// `args` without the program's name.
CommandLine ReadCommandLine(const std::vector<std::string>& args);
