// A stand-in for the ffmpeg program, for the tests of the encode job and of
// tessarin-calc --encode: a shell script that runs the real ffmpeg, except
// that in a second pass it first runs a piece of shell of the test's own.
// There `$last` is the pass's output (a file: URL) and "$@" its arguments.
#pragma once

#include <sys/stat.h>

#include <fstream>
#include <string>

namespace stand_in {

// Writes a little of the output and a line of progress, as a pass that has
// begun.
inline constexpr const char* kBegun =
    "printf partial > \"${last#file:}\"; echo frame=1; echo out_time_us=100000; "
    "echo progress=continue; ";

// A second pass at twenty times its rate: a film that never fits.
inline constexpr const char* kTwentyTimesTheRate =
    "n=$#; prev=; for a in \"$@\"; do [ \"$prev\" = -b:v ] && a=$((a * 20)); "
    "set -- \"$@\" \"$a\"; prev=$a; done; shift $n";

// Writes the script to `path`, executable; `ffmpeg` is the real one's path.
inline void Write(const std::string& path, const std::string& ffmpeg, const std::string& then) {
    std::ofstream(path) << "#!/bin/sh\n"
                           "second=no; prev=; last=\n"
                           "for a in \"$@\"; do\n"
                           "  case \"$prev$a\" in -pass2|*pass=2*) second=yes;; esac\n"
                           "  prev=$a; last=$a\n"
                           "done\n"
                           "if [ $second = yes ]; then\n  "
                        << then << "\nfi\nexec " << ffmpeg << " \"$@\"\n";
    chmod(path.c_str(), 0755);
}

}  // namespace stand_in
