// tessarin-calc --encode: turns a calculation and the command line's
// choices into an encode job, runs it with its progress on standard error,
// ends it cleanly on SIGINT, SIGTERM or SIGHUP, and prints the files made
// after the calculation (text) or inside its JSON object. --dry-run prints
// the ffmpeg commands instead. The calculation itself is calc_apply.h's.
#pragma once

#include <ostream>

#include "tools/calc_apply.h"
#include "tools/calc_options.h"
#include "tools/calc_output.h"

namespace calc {

// The exit statuses of --encode beyond kExitValid (every file fits).
inline constexpr int kExitNoFit = 1;         // could not be made to fit
inline constexpr int kExitEncodeFailed = 3;  // ffmpeg failed, the disk is full, ...
inline constexpr int kExitSignalBase = 128;  // plus the signal's number

// Runs --encode for the calculation `c` of `o`, whose film is `source`;
// returns the exit status.
int RunEncode(const CalcOptions& o, const Calculation& c, const FilmSource& source,
              std::ostream& out, std::ostream& err);

}  // namespace calc
