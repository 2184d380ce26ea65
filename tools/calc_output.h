// The result of tessarin-calc as text: the window's German captions and
// number forms (grouped bytes, plain kBits/s, two-digit time fields), plus the
// bitrates in bits per second for encoders; or one JSON object with English
// keys and plain integers for scripts.
#pragma once

#include <string>

#include "tools/calc_apply.h"

namespace calc {

// Lines ending in '\n'.
std::string FormatText(const Calculation& c);
// One line ending in '\n'.
std::string FormatJson(const Calculation& c);

}  // namespace calc
