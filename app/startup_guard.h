// Turns the toolkit's fatal error while it opens the display (an abort with a
// core dump) into one sentence of ours on standard error, followed by the
// toolkit's own lines that tell why, and exit status 1. While it guards,
// what the toolkit and the X library write to standard error is held back:
// printed after our sentence on a failure, passed on once the start has
// succeeded. The loader's reason for a plugin that could not be loaded (a
// missing or broken library), which the toolkit tells only with
// QT_DEBUG_PLUGINS, is kept aside and printed on a failure alone.
// It guards only the start; later fatal errors abort as before.
#pragma once

#include <functional>
#include <string>

class StartupGuard {
public:
    // `failure` gives the sentence to print, without the program's name;
    // it is asked only after the toolkit has failed.
    explicit StartupGuard(std::function<std::string()> failure);
    ~StartupGuard();
    StartupGuard(const StartupGuard&) = delete;
    StartupGuard& operator=(const StartupGuard&) = delete;

    // The display is open: passes on what was held back and stops guarding.
    void Release();
};
