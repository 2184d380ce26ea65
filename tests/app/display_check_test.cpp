// Start-up without a usable display: one clear sentence, never the toolkit's
// abort.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/display_check.h"

namespace {

// Sets the three variables the check reads; nullptr unsets.
void SetDisplayEnv(const char* platform, const char* wayland, const char* display) {
    const std::pair<const char*, const char*> vars[] = {
        {"QT_QPA_PLATFORM", platform}, {"WAYLAND_DISPLAY", wayland}, {"DISPLAY", display}};
    for (const auto& [name, value] : vars) {
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
}

}  // namespace

TEST(DisplayCheck, NamesTheProblemOrLetsTheToolkitStart) {
    SetDisplayEnv(nullptr, nullptr, nullptr);
    EXPECT_NE(DisplayProblem().find("no graphical display"), std::string::npos);
    SetDisplayEnv(nullptr, nullptr, "");
    EXPECT_NE(DisplayProblem().find("xvfb-run"), std::string::npos);
    // No X server listens on display 1999 here.
    SetDisplayEnv(nullptr, nullptr, ":1999.0");
    EXPECT_NE(DisplayProblem().find(":1999.0 does not answer"), std::string::npos);
    // Chosen platforms, Wayland and remote displays are left to the toolkit.
    SetDisplayEnv("offscreen", nullptr, nullptr);
    EXPECT_EQ(DisplayProblem(), "");
    SetDisplayEnv(nullptr, "wayland-0", nullptr);
    EXPECT_EQ(DisplayProblem(), "");
    SetDisplayEnv(nullptr, nullptr, "otherhost:0");
    EXPECT_EQ(DisplayProblem(), "");
}
