// The whole of tessarin-calc behind its main(): reads the command line,
// calculates, prints the result to `out` or one line naming the problem to
// `err`, and returns the exit status: 0 for a valid result ("Geprüft"), 1 for
// values out of range ("Fehlerhaft", possible with --no-limits), 2 for a
// usage error, a film file without a duration or a result beyond 64 bits.
// With --encode the job follows (calc_encode.h), with its own statuses.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace calc {

inline constexpr int kExitValid = 0;
inline constexpr int kExitFaulty = 1;
inline constexpr int kExitUsage = 2;

// `args` without the program name.
int RunCalc(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace calc
