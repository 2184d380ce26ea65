// The text forms of numbers in the main window: decimal text, plain or with a
// '.' between groups of three digits, and the strict parsing of what the user
// typed into an edit field. No widgets here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// An edit field's text is read into 50 bytes with its terminator, so at most
// this many characters take part in parsing; the rest is cut.
inline constexpr std::size_t kReadNumberMaxChars = 49;

// Enough for a sign, 19 digits, 6 separators and the terminator.
inline constexpr std::size_t kFormatNumberBufferSize = 50;

// Writes the decimal text of `value` into `out` (at least
// kFormatNumberBufferSize bytes) and returns `out`. The most negative value
// gives its true text.
char* FormatNumber(int64_t value, char* out, bool group);

// Parses an edit field's text: empty text and a lone "-" are 0; an optional
// leading '-' then digits only; the value wraps without an overflow test.
// Only the first kReadNumberMaxChars characters are looked at. On failure
// returns false and leaves *out unwritten.
bool ParseNumber(std::string_view text, int64_t* out);
