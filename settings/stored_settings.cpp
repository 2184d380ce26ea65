#include "settings/stored_settings.h"

namespace settings {

namespace {

constexpr std::string_view kSubKeys[4] = {"Timesettings", "Audiosettings", "Videosettings",
                                          "Sizesettings"};

void SetFlag(Registry& r, RegKey key, std::string_view name, std::int64_t flag) {
    const auto byte = static_cast<std::uint8_t>(flag);  // the low byte, as stored ever since
    r.SetValue(key, name, kRegBinary, &byte, 1);
}

void SetNumber(Registry& r, RegKey key, std::string_view name, std::int64_t value) {
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
    r.SetValue(key, name, kRegBinary, bytes, 8);
}

void SetDword(Registry& r, RegKey key, std::string_view name, std::uint32_t value) {
    std::uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    r.SetValue(key, name, kRegDword, bytes, 4);
}

// Reading: each helper calls `apply` only when the value was read.
template <typename F>
void ReadByte(Registry& r, RegKey key, std::string_view name, F apply) {
    std::uint8_t byte = 0;
    if (QuerySetting(r, key, name, &byte, 1)) apply(byte);
}

template <typename F>
void ReadNumber(Registry& r, RegKey key, std::string_view name, F apply) {
    std::uint8_t bytes[8];
    if (!QuerySetting(r, key, name, bytes, 8)) return;
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    apply(static_cast<std::int64_t>(v));
}

}  // namespace

bool QuerySetting(Registry& registry, RegKey key, std::string_view name, void* data,
                  std::uint32_t length) {
    return registry.QueryValue(key, name, data, length) == kSuccess;
}

RegResult WriteStoredSettings(Registry& r, const FilmModel& m, const StoredControls& c) {
    RegKey main = 0;
    if (const RegResult err = r.CreateKey(kCurrentUser, kSettingsKeyPath, &main); err != kSuccess)
        return err;
    SetDword(r, main, "VersionMajor", kVersionMajor);
    SetDword(r, main, "VersionMinor", kVersionMinor);
    SetFlag(r, main, "AutoCalculate", m.autoCalculate);
    SetFlag(r, main, "SaveSettings", m.saveOnExit);
    SetFlag(r, main, "AutoRange", m.autoRange);
    SetFlag(r, main, "StatusAnzeige", m.statusShown);
    SetFlag(r, main, "TooltipsAnzeige", m.tooltipsShown);

    for (int section = Time; section <= Size; ++section) {
        RegKey sub = 0;
        if (r.CreateKey(main, kSubKeys[section], &sub) != kSuccess) continue;
        switch (section) {
            case Time:
                SetFlag(r, sub, "Time_Fix", c.timeFix);
                SetFlag(r, sub, "Time_Show", m.timeShown);
                SetNumber(r, sub, "Time_Value", m.totalSeconds);
                break;
            case Audio:
                SetFlag(r, sub, "Audio_Fix", c.audioFix);
                SetFlag(r, sub, "Audio_Show", m.audioShown);
                SetFlag(r, sub, "Audio_Enabled", c.audioOff);
                SetNumber(r, sub, "Audio_Value", m.audioRate);
                break;
            case Video:
                SetFlag(r, sub, "Video_Fix", c.videoFix);
                SetFlag(r, sub, "Video_Show", m.videoShown);
                SetNumber(r, sub, "Video_Value", m.videoRate);
                break;
            default:
                SetFlag(r, sub, "Size_Fix", c.sizeFix);
                SetFlag(r, sub, "Size_Show", m.sizeShown);
                SetFlag(r, sub, "Datatype", c.sizeUnit);
                SetNumber(r, sub, "Size_Value", m.sizeBytes);
                SetNumber(r, sub, "CD_Count", m.parts);
                break;
        }
        r.CloseKey(sub);
    }
    return r.CloseKey(main);
}

RegResult ReadStoredSettings(Registry& r, FilmModel& m, StoredControls& c, unsigned* readControls) {
    unsigned read = 0;
    if (readControls != nullptr) *readControls = 0;
    RegKey main = 0;
    if (const RegResult err = r.OpenKey(kCurrentUser, kSettingsKeyPath, &main); err != kSuccess)
        return err;
    ReadByte(r, main, "AutoCalculate", [&](std::uint8_t b) { m.autoCalculate = b; });
    ReadByte(r, main, "SaveSettings", [&](std::uint8_t b) { m.saveOnExit = b; });
    ReadByte(r, main, "AutoRange", [&](std::uint8_t b) { m.autoRange = b; });
    ReadByte(r, main, "StatusAnzeige", [&](std::uint8_t b) { m.statusShown = b; });
    ReadByte(r, main, "TooltipsAnzeige", [&](std::uint8_t b) { m.tooltipsShown = b; });

    // A check state read replaces the control's state and marks it for applying.
    auto control = [&](std::uint8_t& field, StoredControlBit bit) {
        return [&field, &read, bit](std::uint8_t b) {
            field = b;
            read |= bit;
        };
    };
    for (int section = Time; section <= Size; ++section) {
        RegKey sub = 0;
        if (r.OpenKey(main, kSubKeys[section], &sub) != kSuccess) continue;
        switch (section) {
            case Time:
                ReadByte(r, sub, "Time_Fix", control(c.timeFix, kReadTimeFix));
                ReadByte(r, sub, "Time_Show", [&](std::uint8_t b) { m.timeShown = b; });
                ReadNumber(r, sub, "Time_Value", [&](std::int64_t v) { m.SetDuration(v); });
                break;
            case Audio:
                ReadByte(r, sub, "Audio_Fix", control(c.audioFix, kReadAudioFix));
                ReadByte(r, sub, "Audio_Show", [&](std::uint8_t b) { m.audioShown = b; });
                ReadByte(r, sub, "Audio_Enabled", [&](std::uint8_t b) {
                    c.audioOff = b;
                    read |= kReadAudioOff;
                    m.audioEnabled = b != 0 ? 0 : 1;
                });
                ReadNumber(r, sub, "Audio_Value", [&](std::int64_t v) { m.audioRate = v; });
                break;
            case Video:
                ReadByte(r, sub, "Video_Fix", control(c.videoFix, kReadVideoFix));
                ReadByte(r, sub, "Video_Show", [&](std::uint8_t b) { m.videoShown = b; });
                ReadNumber(r, sub, "Video_Value", [&](std::int64_t v) { m.videoRate = v; });
                break;
            default:
                ReadByte(r, sub, "Size_Fix", control(c.sizeFix, kReadSizeFix));
                ReadByte(r, sub, "Size_Show", [&](std::uint8_t b) { m.sizeShown = b; });
                ReadByte(r, sub, "Datatype", control(c.sizeUnit, kReadSizeUnit));
                ReadNumber(r, sub, "Size_Value", [&](std::int64_t v) { m.SetSize(v); });
                ReadNumber(r, sub, "CD_Count", [&](std::int64_t v) { m.SetParts(v); });
                break;
        }
        r.CloseKey(sub);
    }
    if (readControls != nullptr) *readControls = read;
    return r.CloseKey(main);
}

}  // namespace settings
