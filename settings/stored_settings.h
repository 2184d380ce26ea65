// What the main window keeps in the key "Software\Orvanholt\Tessarin" of the
// current user: the option and view flags and last values of the FilmModel,
// plus the check states of the four "Fest" boxes and the "Aus" box and the
// index of the size unit. Writing stores the whole key; reading applies each
// value that can be read at once and leaves everything else as it was, so the
// state before the read is the default. Values are read only at their exact
// length (1-byte flags, 8-byte numbers); their stored type is not checked.
// This code knows no widgets: the window passes its check states in and applies
// the ones read.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/film_model.h"
#include "core/version.h"
#include "settings/registry.h"

namespace settings {

inline constexpr std::string_view kSettingsKeyPath = "Software\\Orvanholt\\Tessarin";
// The program's version, written as two dwords and never read back.
inline constexpr std::uint32_t kVersionMajor = version::kMajor;
inline constexpr std::uint32_t kVersionMinor = version::kMinor;

// Check states and the unit index as the controls answer them: 0 unchecked,
// 1 checked; the unit index 0 GByte, 1 MByte, 2 kByte, 3 Byte, and 255 (the
// low byte of the "no selection" answer -1) for none. Bytes read are kept
// unchanged, so any non-zero check state counts as checked.
struct StoredControls {
    std::uint8_t timeFix = 0;
    std::uint8_t audioFix = 0;
    std::uint8_t videoFix = 0;
    std::uint8_t sizeFix = 0;
    std::uint8_t audioOff = 0;  // the "Aus" box: 1 = the film has no audio track
    std::uint8_t sizeUnit = 1;
};

// Bits of the mask ReadStoredSettings returns: which controls were read and
// need to be set.
enum StoredControlBit : unsigned {
    kReadTimeFix = 1u << 0,
    kReadAudioFix = 1u << 1,
    kReadVideoFix = 1u << 2,
    kReadSizeFix = 1u << 3,
    kReadAudioOff = 1u << 4,
    kReadSizeUnit = 1u << 5,
};

// Writes every value in the fixed order: the main key (versions and five
// flags), then the sub keys Timesettings, Audiosettings, Videosettings and
// Sizesettings. A sub key that cannot be created is skipped; single writes are
// not checked. Returns the error of creating the main key, or else the result
// of closing it (with the file store: the result of the save).
RegResult WriteStoredSettings(Registry& registry, const FilmModel& model,
                              const StoredControls& controls);

// Reads in the same order and applies each value read: flags into `model`
// (zero-extended), Time_Value, Size_Value and CD_Count through the model's
// setters, Audio_Value and Video_Value straight into the rates, check states
// and the unit into `controls`; Audio_Enabled sets both `controls.audioOff`
// and `model.audioEnabled` (0 when the byte is non-zero, else 1). Values and
// sub keys that cannot be read leave their state. `*readControls` (if given)
// receives the StoredControlBit of every control read. Returns the error of
// opening the main key, or else the result of closing it. The caller keeps
// its change handlers quiet meanwhile.
RegResult ReadStoredSettings(Registry& registry, FilmModel& model, StoredControls& controls,
                             unsigned* readControls = nullptr);

// True exactly when the value can be read at `length` bytes.
bool QuerySetting(Registry& registry, RegKey key, std::string_view name, void* data,
                  std::uint32_t length);

}  // namespace settings
