// The program's command line: nothing, or the one film file whose duration
// the window takes at start; and the one option the toolkit's session
// management gives when it restores the program at the next login,
// "-session ID", which is the toolkit's. No other options.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
    std::string film;     // empty when none was given; bytes as given
    std::string session;  // the ID after "-session", for the toolkit; or empty
    std::string error;    // non-empty: one line naming what is wrong; exit 2
};

// `args` without the program's name.
CommandLine ReadCommandLine(const std::vector<std::string>& args);
