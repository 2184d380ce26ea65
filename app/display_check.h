// Decides, before the toolkit starts, which display platform to start on and
// what to say if that fails, so that every way the display can fail ends with
// one clear sentence instead of the toolkit's abort. Nothing here touches a
// display before the toolkit has tried it: an X server that has just started
// resets when its first client leaves, and a look before would drop the
// toolkit's own connection.
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
    // Non-empty: the X display alone was chosen, and what to say is found
    // by DescribeXFailure once the toolkit has failed on it.
    std::string diagnoseX;
};

// Reads the environment and looks for the Wayland plugin in `pluginDirs`
// (plugin folders, or their "platforms" folders themselves).
DisplayEnvironment ReadDisplayEnvironment(const std::vector<std::string>& pluginDirs);

// The decision, from the environment alone.
DisplayPlan PlanDisplay(const DisplayEnvironment& env);

// Why the X display `display` could not be opened: it does not answer,
// refuses this user (not authorised), or accepts a connection now, so that
// the toolkit failed for a reason of its own. Connects to the display.
std::string DescribeXFailure(const std::string& display);
