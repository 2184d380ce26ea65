#include "settings/encode_settings.h"

#include <gtest/gtest.h>

#include "settings/file_registry.h"
#include "settings/stored_settings.h"
#include "temp_config.h"

using namespace settings;

namespace {

using EncodeSettingsTest = TempConfig;

// The choices go into their own sub key after the window's; everything the
// file held before stays as it was, in its order, and reads back the same.
TEST_F(EncodeSettingsTest, StoredBesideTheWindowsSettings) {
    FileRegistry reg(path_);
    ASSERT_EQ(WriteStoredSettings(reg, FilmModel(), StoredControls()), kSuccess);
    const std::string before = Slurp(path_);
    ASSERT_EQ(WriteEncodeSettings(reg, {2, 1, 7}), kSuccess);
    EXPECT_EQ(Slurp(path_),
              before +
                  "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Encodesettings]\n"
                  "\"Video_Codec\"=hex:02\n\"Audio_Codec\"=hex:01\n\"Speed\"=hex:07\n\n");
    StoredEncodeChoices read;
    ASSERT_EQ(ReadEncodeSettings(reg, read), kSuccess);
    EXPECT_EQ((std::vector<int>{read.videoCodec, read.audioCodec, read.speed}),
              (std::vector<int>{2, 1, 7}));
}

// A value that cannot be read at one byte keeps the choice's default.
TEST_F(EncodeSettingsTest, UnreadableValuesKeepTheirDefaults) {
    Put(path_,
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Encodesettings]\n"
        "\"Video_Codec\"=dword:00000002\n\"Speed\"=hex:03\n");
    FileRegistry reg(path_);
    StoredEncodeChoices read;
    ASSERT_EQ(ReadEncodeSettings(reg, read), kSuccess);
    EXPECT_EQ((std::vector<int>{read.videoCodec, read.audioCodec, read.speed}),
              (std::vector<int>{0, 0, 3}));
}

}  // namespace
