#include "settings/stored_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "settings/file_registry.h"
#include "temp_config.h"

using namespace settings;

namespace {

using StoredSettingsTest = TempConfig;

constexpr unsigned kAllControls =
    kReadTimeFix | kReadAudioFix | kReadVideoFix | kReadSizeFix | kReadAudioOff | kReadSizeUnit;

std::vector<std::int64_t> Fields(const FilmModel& m) {
    return {m.sizeBytes,    m.sizeKB,       m.sizeMB,       m.sizeGB,        m.audioRate,
            m.videoRate,    m.parts,        m.headerBytes,  m.hours,         m.minutes,
            m.seconds,      m.totalSeconds, m.totalMinutes, m.autoRange,     m.autoCalculate,
            m.audioEnabled, m.saveOnExit,   m.statusShown,  m.tooltipsShown, m.timeShown,
            m.audioShown,   m.videoShown,   m.sizeShown};
}

std::vector<int> Fields(const StoredControls& c) {
    return {c.timeFix, c.audioFix, c.videoFix, c.sizeFix, c.audioOff, c.sizeUnit};
}

TEST_F(StoredSettingsTest, InitialValuesGiveTheExpectedFile) {
    FileRegistry reg(path_);
    ASSERT_EQ(WriteStoredSettings(reg, FilmModel(), StoredControls()), kSuccess);
    EXPECT_EQ(Slurp(path_), Slurp(TESSARIN_SETTINGS_TEST_DATA "/initial_settings.reg"));
}

TEST_F(StoredSettingsTest, EveryStoredValueComesBackExactly) {
    const std::function<void(FilmModel&, StoredControls&)> variants[] = {
        [](FilmModel& m, StoredControls& c) {
            m.SetDuration(4294967296LL + 5400);
            m.audioRate = 0;  // "Aus" checked sets the rate to 0
            m.audioEnabled = 0;
            m.videoRate = std::numeric_limits<std::int64_t>::max();
            m.SetSize(std::numeric_limits<std::int64_t>::min());
            m.SetParts(-1);
            m.autoCalculate = 0;
            m.saveOnExit = 1;
            m.autoRange = 2;
            m.statusShown = 0;
            m.tooltipsShown = 255;
            m.timeShown = 0;
            m.audioShown = 0;
            m.videoShown = 7;
            m.sizeShown = 0;
            c = {1, 2, 255, 1, 1, 255};
        },
        [](FilmModel& m, StoredControls& c) {
            m.SetDuration(-1);
            m.audioRate = -128;
            m.videoRate = 5000000000LL;
            m.SetSize(5000000000LL);
            m.SetParts(4294967297LL);
            m.saveOnExit = 1;
            c = {0, 1, 0, 3, 0, 3};
        },
    };
    for (const auto& vary : variants) {
        std::filesystem::remove(path_);
        FilmModel written;
        StoredControls controls;
        vary(written, controls);
        FileRegistry reg(path_);
        ASSERT_EQ(WriteStoredSettings(reg, written, controls), kSuccess);

        FilmModel read;
        StoredControls readControls;
        unsigned mask = 0;
        ASSERT_EQ(ReadStoredSettings(reg, read, readControls, &mask), kSuccess);
        EXPECT_EQ(Fields(read), Fields(written));
        EXPECT_EQ(Fields(readControls), Fields(controls));
        EXPECT_EQ(mask, kAllControls);
    }
}

TEST_F(StoredSettingsTest, WithoutTheKeyNothingChanges) {
    FileRegistry reg(path_);
    FilmModel model;
    StoredControls controls;
    unsigned mask = 99;
    EXPECT_EQ(ReadStoredSettings(reg, model, controls, &mask), kFileNotFound);
    EXPECT_EQ(Fields(model), Fields(FilmModel()));
    EXPECT_EQ(Fields(controls), Fields(StoredControls()));
    EXPECT_EQ(mask, 0u);
    EXPECT_FALSE(std::filesystem::exists(path_));
}

// Keys edited by hand: each value is taken only at its exact length, of any
// type; everything not taken keeps its state.
TEST_F(StoredSettingsTest, HandEditedValues) {
    const std::string main = "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin]\n";
    const std::string timeKey =
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Timesettings]\n";
    const std::string audioKey =
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Audiosettings]\n";
    const std::string sizeKey =
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Sizesettings]\n";
    const struct {
        const char* what;
        std::string body;
        std::function<void(FilmModel&, StoredControls&)> expect;
        unsigned mask;
    } cases[] = {
        {"flag stored as dword", main + "\"AutoCalculate\"=dword:00000000\n", nullptr, 0},
        {"flag of another type with one byte", main + "\"AutoCalculate\"=hex(4):00\n",
         [](FilmModel& m, StoredControls&) { m.autoCalculate = 0; }, 0},
        {"empty string is one byte", main + timeKey + "\"Time_Show\"=\"\"\n",
         [](FilmModel& m, StoredControls&) { m.timeShown = 0; }, 0},
        {"64-bit value with nine bytes",
         main + timeKey + "\"Time_Value\"=hex:01,00,00,00,00,00,00,00,00\n", nullptr, 0},
        {"64-bit value with four bytes", main + timeKey + "\"Time_Value\"=dword:00000001\n",
         nullptr, 0},
        {"64-bit value of another type",
         main + sizeKey + "\"Size_Value\"=hex(b):00,00,00,40,01,00,00,00\n",
         [](FilmModel& m, StoredControls&) { m.SetSize(0x140000000LL); }, 0},
        {"part count goes through its setter",
         main + sizeKey + "\"CD_Count\"=hex:03,00,00,00,00,00,00,00\n",
         [](FilmModel& m, StoredControls&) { m.SetParts(3); }, 0},
        {"\"Aus\" byte other than 0 and 1", main + audioKey + "\"Audio_Enabled\"=hex:02\n",
         [](FilmModel& m, StoredControls& c) {
             c.audioOff = 2;
             m.audioEnabled = 0;
         },
         kReadAudioOff},
        {"\"Aus\" unchecked", main + audioKey + "\"Audio_Enabled\"=hex:00\n",
         [](FilmModel& m, StoredControls& c) {
             c.audioOff = 0;
             m.audioEnabled = 1;
         },
         kReadAudioOff},
        {"no unit selected", main + sizeKey + "\"Datatype\"=hex:ff\n\"Size_Fix\"=hex:01\n",
         [](FilmModel&, StoredControls& c) {
             c.sizeUnit = 255;
             c.sizeFix = 1;
         },
         kReadSizeUnit | kReadSizeFix},
        {"missing sub keys keep their sections",
         main + "\"SaveSettings\"=hex:01\n" + sizeKey + "\"Size_Show\"=hex:00\n",
         [](FilmModel& m, StoredControls&) {
             m.saveOnExit = 1;
             m.sizeShown = 0;
         },
         0},
        {"values in the wrong key are not taken",
         main + "\"Time_Value\"=hex:01,00,00,00,00,00,00,00\n" + timeKey + "\"AutoRange\"=hex:00\n",
         nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Put(path_, "REGEDIT4\n" + c.body);
        FileRegistry reg(path_);
        FilmModel model;
        StoredControls controls;
        unsigned mask = 0;
        EXPECT_EQ(ReadStoredSettings(reg, model, controls, &mask), kSuccess);
        FilmModel expectedModel;
        StoredControls expectedControls;
        if (c.expect) c.expect(expectedModel, expectedControls);
        EXPECT_EQ(Fields(model), Fields(expectedModel));
        EXPECT_EQ(Fields(controls), Fields(expectedControls));
        EXPECT_EQ(mask, c.mask);
    }
}

// A registry whose one sub key cannot be created or opened.
class SubKeyFails final : public Registry {
public:
    SubKeyFails(Registry& inner, std::string_view failing) : inner_(inner), failing_(failing) {}
    RegResult CreateKey(RegKey parent, std::string_view sub, RegKey* key) override {
        return sub == failing_ ? kAccessDenied : inner_.CreateKey(parent, sub, key);
    }
    RegResult OpenKey(RegKey parent, std::string_view sub, RegKey* key) override {
        return sub == failing_ ? kAccessDenied : inner_.OpenKey(parent, sub, key);
    }
    RegResult QueryValue(RegKey k, std::string_view n, void* d, std::uint32_t l) override {
        return inner_.QueryValue(k, n, d, l);
    }
    RegResult SetValue(RegKey k, std::string_view n, RegType t, const void* d,
                       std::uint32_t l) override {
        return inner_.SetValue(k, n, t, d, l);
    }
    RegResult CloseKey(RegKey k) override { return inner_.CloseKey(k); }

private:
    Registry& inner_;
    std::string_view failing_;
};

TEST_F(StoredSettingsTest, ASubKeyThatFailsOnlySkipsItsSection) {
    FileRegistry file(path_);
    FilmModel written;
    written.SetDuration(60);
    written.audioRate = 64;
    written.SetParts(5);
    SubKeyFails noAudio(file, "Audiosettings");
    ASSERT_EQ(WriteStoredSettings(noAudio, written, StoredControls()), kSuccess);
    EXPECT_EQ(Slurp(path_).find("Audiosettings"), std::string::npos);

    FilmModel read;
    StoredControls controls;
    SubKeyFails noTime(file, "Timesettings");
    ASSERT_EQ(ReadStoredSettings(noTime, read, controls), kSuccess);
    EXPECT_EQ(read.totalSeconds, 5400);  // skipped on reading
    EXPECT_EQ(read.audioRate, 128);      // never written
    EXPECT_EQ(read.parts, 5);            // a later section is still read
}

}  // namespace
