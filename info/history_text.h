// The version history as list lines: the splitter that turns the single-byte
// history text into lines, and the code page 1252 decoder that makes them
// displayable. No toolkit, no allocation beyond the returned strings.
#pragma once

#include <span>
#include <string>
#include <vector>

// The longest line the list takes in one piece: a line buffer of 256 bytes
// holds 255 characters and the terminator.
inline constexpr size_t kHistoryLineMax = 255;

// Splits `text` into lines. A line ends at a CR or an LF; when the next
// character is again a CR or an LF it is skipped too, so CR LF, LF CR, CR CR and
// LF LF each end exactly one line ("A\n\nB" gives two lines, "A\r\n\r\nB"
// three). A last line without a break is kept; nothing beyond the span is read.
// A line longer than 255 characters goes on in the next list line, so nothing of
// it is lost.
std::vector<std::string> SplitHistoryLines(std::span<const unsigned char> text);

// Code page 1252 to UTF-8. The five bytes that code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the same number, as
// the system's own conversion maps them.
std::string Cp1252ToUtf8(std::string_view text);
