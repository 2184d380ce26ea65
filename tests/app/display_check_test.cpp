// Start-up without a usable display: the platform chosen for each
// environment, and the sentence for each way it cannot start.
#include <gtest/gtest.h>

#include <string>

#include "app/display_check.h"

namespace {

struct Case {
    const char* what;
    DisplayEnvironment env;
    const char* platform;  // the list given to the toolkit
    const char* problem;   // a part of the sentence before the start, or ""
    const char* failure;   // a part of the sentence if the toolkit fails, or "" (also
                           // for X alone, whose failure is looked into afterwards)
};

// No X server listens on display 1999 here.
const Case kCases[] = {
    {"nothing set", {"", "", "", true}, "", "no graphical display", ""},
    {"a local display, looked at only after the toolkit failed",
     {"", "", ":1999.0", true},
     "xcb",
     "",
     ""},
    {"a remote display", {"", "", "otherhost:0", true}, "xcb", "", ""},
    {"Wayland with its plugin",
     {"", "wayland-0", "", true},
     "wayland",
     "",
     "Wayland display wayland-0 does not answer"},
    {"Wayland with its plugin and X",
     {"", "wayland-0", "otherhost:0", true},
     "wayland;xcb",
     "",
     "neither the Wayland display"},
    {"Wayland and X on GNOME, where this Qt prefers X",
     {"", "wayland-0", "otherhost:0", true, true},
     "xcb;wayland",
     "",
     "neither the Wayland display"},
    {"Wayland without its plugin falls back on X",
     {"", "wayland-0", "otherhost:0", false},
     "xcb",
     "",
     ""},
    {"Wayland without its plugin and without X",
     {"", "wayland-0", "", false},
     "",
     "install the package qt6-wayland",
     ""},
    {"a platform the user chose",
     {"offscreen", "", "", false},
     "",
     "",
     "\"offscreen\" chosen by QT_QPA_PLATFORM"},
};

TEST(DisplayCheck, ChoosesThePlatformAndNamesEachFailure) {
    for (const Case& c : kCases) {
        const DisplayPlan plan = PlanDisplay(c.env);
        EXPECT_EQ(plan.platform, c.platform) << c.what;
        EXPECT_NE(plan.problem.find(c.problem), std::string::npos)
            << c.what << ": " << plan.problem;
        EXPECT_EQ(plan.problem.empty(), c.problem[0] == '\0') << c.what;
        EXPECT_EQ(plan.diagnoseX, plan.platform == "xcb" ? c.env.display : "") << c.what;
        EXPECT_NE(plan.failure.find(c.failure), std::string::npos)
            << c.what << ": " << plan.failure;
        // One sentence each, with what to do.
        for (const std::string& s : {plan.problem, plan.failure}) {
            EXPECT_EQ(s.find('\n'), std::string::npos) << c.what;
            if (!s.empty()) {
                EXPECT_NE(s.find(';'), std::string::npos) << c.what;
            }
        }
    }
}

TEST(DisplayCheck, NamesWhyAnXDisplayCouldNotBeOpened) {
    EXPECT_NE(DescribeXFailure(":1999.0").find(":1999.0 does not answer; "), std::string::npos);
    EXPECT_NE(DescribeXFailure("127.0.0.1:1999").find("127.0.0.1:1999 cannot be opened"),
              std::string::npos);
}

}  // namespace
