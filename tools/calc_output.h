// The result of tessarin-calc as text: the window's German captions and
// number forms (grouped bytes, plain kBits/s, two-digit time fields), plus the
// bitrates in bits per second for encoders; or one JSON object with English
// keys and plain integers for scripts.
#pragma once

#include <string>

#include "media/film_probe.h"
#include "tools/calc_apply.h"

namespace calc {

// The film file the duration was taken from (--duration-of).
struct FilmSource {
    std::string file;  // as given on the command line
    media::FilmFacts facts;
};

// Lines ending in '\n'. With a source, also its name (control characters
// escaped, so that it stays on its line), picture size and frame rate,
// whether it has sound, and the bits per pixel of the video rate.
std::string FormatText(const Calculation& c, const FilmSource* source = nullptr);
// One line ending in '\n'. With a source, also "source" (with "audio": whether
// it has sound) and "bits_per_pixel"; what the file does not have (no picture
// in a sound file) is null.
std::string FormatJson(const Calculation& c, const FilmSource* source = nullptr);

// A JSON string of `text`; bytes that are not UTF-8 become U+FFFD.
std::string JsonText(const std::string& text);

}  // namespace calc
