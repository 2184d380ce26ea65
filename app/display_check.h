// Decides, before the toolkit starts, which display platform to start on and
// what to say if that fails, so that every way the display can fail ends with
// one clear sentence instead of the toolkit's abort. It does not open the
// display itself: a local X server's socket is only tried for an answer.
#pragma once

#include <string>
#include <vector>

// What the environment names: QT_QPA_PLATFORM, WAYLAND_DISPLAY, DISPLAY, the
// desktop, and whether the Qt Wayland platform plugin is installed.
struct DisplayEnvironment {
    std::string platform;
    std::string wayland;
    std::string display;
    bool waylandPlugin = false;
    // XDG_CURRENT_DESKTOP or XDG_SESSION_DESKTOP names GNOME, where this Qt
    // prefers X (its Wayland windows would lack GNOME's decorations).
    bool gnome = false;
};

struct DisplayPlan {
    // Non-empty: the program cannot start; print this and exit 1.
    std::string problem;
    // The platform list to give the toolkit (QT_QPA_PLATFORM), empty to
    // leave the user's choice as it is.
    std::string platform;
    // What to say when the toolkit still cannot open the display.
    std::string failure;
};

// Reads the environment and looks for the Wayland plugin in `pluginDirs`
// (plugin folders, or their "platforms" folders themselves).
DisplayEnvironment ReadDisplayEnvironment(const std::vector<std::string>& pluginDirs);

// The decision; of the outside world it only tries whether a local X server
// answers.
DisplayPlan PlanDisplay(const DisplayEnvironment& env);

// Whether a local X server listens on display number `number` (":N").
bool LocalXServerAnswers(const std::string& number);
