// The choices of the "Film kodieren" dialog, kept in their own sub key
// "Encodesettings" below the main key: the video codec, the audio codec and
// the position between "Schneller" and "Besser", one byte each. They are
// written on their own, when a job starts, and read when the dialog opens;
// the main key's other values and sub keys are left as they are. What the
// numbers mean is the dialog's business; bytes read are passed on unchanged.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/registry.h"

namespace settings {

inline constexpr std::string_view kEncodeSubKey = "Encodesettings";

struct StoredEncodeChoices {
    std::uint8_t videoCodec = 0;  // 0 H.264, 1 H.265, 2 VP9
    std::uint8_t audioCodec = 0;  // 0 AAC, 1 Opus, 2 MP3
    std::uint8_t speed = 5;       // 0 fastest to 8 best
};

// Creates the main key and the sub key where they are missing and stores the
// three values; returns the result of creating the main key, or else of
// closing it (with the file store: of the save).
RegResult WriteEncodeSettings(Registry& registry, const StoredEncodeChoices& choices);

// Applies each value that can be read at its length of one byte; the others
// keep their state. Returns the error of opening the main key, or else the
// result of closing it.
RegResult ReadEncodeSettings(Registry& registry, StoredEncodeChoices& choices);

}  // namespace settings
