// The command line of tessarin-calc, read into plain values: which
// quantities were given and with what numbers, the locks, the quantity to
// solve and the switches. Every number must be whole and fit 64 bits; a
// problem gives one line naming the argument. What the values then do to the
// film model is calc_apply.h's.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/recalculation.h"
#include "encode/encode_job.h"

namespace calc {

// A duration as H:MM:SS fields (each any whole number, as the window's three
// edit fields take them) or as seconds.
struct DurationArg {
    bool fields = false;
    int64_t hours = 0, minutes = 0, seconds = 0;  // fields
    int64_t totalSeconds = 0;                     // otherwise
};

struct CalcOptions {
    std::optional<DurationArg> duration;
    // A film file whose duration to take instead.
    std::optional<std::string> durationOf;
    std::optional<int64_t> audio;  // kBit/s
    bool noAudio = false;
    std::optional<int64_t> video;  // kBit/s
    std::optional<int64_t> size;   // bytes
    std::optional<int64_t> cds;    // count; the size is count × the CD size
    int cdSizeIndex = 1;           // into kCdSizes: 700 MB unless --cd-size
    std::optional<int64_t> parts;
    std::optional<LockStates> locks;
    int solve = -1;  // a quantity, or -1
    bool noLimits = false;
    bool settings = false;
    bool json = false;
    bool help = false;
    bool version = false;
    // The capacity of one part by a medium (--medium): an index into
    // kMedia; -1 when not given. With --cds or --parts for how many.
    int medium = -1;
    // --encode OUTPUT and what goes with it (calc_encode.h).
    std::optional<std::string> encode;
    encode::VideoCodec codec = encode::VideoCodec::H264;  // --codec h264, h265 or vp9
    encode::AudioCodec audioCodec = encode::AudioCodec::AAC;  // --audio-codec aac, opus or mp3
    std::optional<std::string> preset;
    std::optional<int64_t> height;
    bool force = false;
    bool dryRun = false;
    // The quantity of the last of --duration (or --duration-of), --audio,
    // --video, --size, --cds and --medium on the line; -1 when none was
    // given.
    int lastGiven = -1;

    // Given on the line: a value, or for the duration --duration-of too, for
    // the audio --no-audio too, for the size --cds and --medium too.
    bool Given(int quantity) const;
};

// On success `error` is empty.
struct ParsedOptions {
    CalcOptions options;
    std::string error;
};

// The media of --medium with the bytes one holds.
struct Medium {
    const char* name;
    int64_t bytes;
};
inline constexpr Medium kMedia[] = {
    {"cd650", 681574400},   {"cd700", 734003200}, {"cd800", 838860800},   {"dvd", 4700372992},
    {"dvd-dl", 8543666176}, {"bd", 25025314816},  {"bd-dl", 50050629632},
};

// `args` without the program name. Options take their value as the next
// argument or after '='; each may be given once.
ParsedOptions ParseOptions(std::span<const std::string_view> args);

// A whole number: an optional '-' and at least one digit, nothing else, that
// fits 64 bits.
bool ParseWholeNumber(std::string_view text, int64_t* out);

// "time", "audio", "video", "size" to 0..3; -1 for anything else.
int QuantityByName(std::string_view name);
const char* QuantityName(int quantity);

}  // namespace calc
