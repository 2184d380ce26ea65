// A private configuration folder for one test: XDG_CONFIG_HOME points into a
// fresh temporary folder while the test runs, so no test touches a real home.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/file_registry.h"

class TempConfig : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tessarin-settings-XXXXXX");
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        path_ = settings::DefaultSettingsPath();
        ASSERT_EQ(path_, root_ + "/config/Orvanholt/Tessarin.reg");
        std::filesystem::create_directories(root_ + "/config/Orvanholt");
    }
    void TearDown() override {
        settings::SetSysCallHookForTesting(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // Names in the file's folder other than the file and its lock file.
    std::vector<std::string> Litter() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(root_ + "/config/Orvanholt")) {
            const std::string n = e.path().filename();
            if (n != "Tessarin.reg" && n != "Tessarin.reg.lock") names.push_back(n);
        }
        return names;
    }

    std::string root_;
    std::string path_;
};
