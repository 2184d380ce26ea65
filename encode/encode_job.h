// The encode job: from a film and the calculation's plan to one file per
// part, each measured on disk to be at most its capacity. It runs the ffmpeg
// program as a child process (the video's first pass with the audio encoded
// alongside and measured, the second pass, a corrected second pass when the
// measured size is over or leaves much unused, and a cut at key frames into
// parts), reports its progress and can
// be cancelled from another thread. It writes outputs under temporary names
// and renames them only when they are complete and measured: a failed or
// cancelled job leaves nothing behind. No Qt; messages are English, callers
// that speak German map `Failure` to their own words.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "media/film_probe.h"

namespace encode {

enum class VideoCodec { H264, H265, VP9 };
enum class AudioCodec { AAC, Opus, MP3 };

// The plan exactly as the calculation made it. The job computes the video
// rate itself from the budget (parts × partCapacity) less what the
// calculation leaves out (the container, the audio as encoded, the cuts) and
// the film's exact duration.
struct Plan {
    int64_t videoKbit = 0;  // kBit/s of 1024 bits
    int64_t audioKbit = 0;  // kBit/s of 1024 bits; not used when audioOff
    bool audioOff = false;
    int64_t parts = 1;         // exactly this many files
    int64_t partCapacity = 0;  // bytes one part may hold
    bool checked = false;      // the calculation's state was "Geprüft"
};

struct JobSpec {
    std::string source;  // the film, as the bytes of its path (any encoding)
    Plan plan;
    VideoCodec video = VideoCodec::H264;
    AudioCodec audio = AudioCodec::AAC;
    // Empty: the codec's own default speed. x264's and x265's preset names
    // (ultrafast to veryslow); "0" to "8" for VP9.
    std::string preset;
    int height = 0;      // 0 keeps the picture's size
    std::string output;  // NAME.mkv or NAME.mp4; parts are NAME.partK.EXT
    bool force = false;  // existing outputs may be replaced
    std::string ffmpeg;  // the program; empty: "ffmpeg" found on PATH
};

// The job's steps in order: Pass1, Pass2 (attempt 1 to 3), Cut. The sound
// is encoded during the first pass (one read of the source, the sound's
// encoder beside the video's), so it has no step of its own.
enum class Step { Pass1, Pass2, Cut };

struct Progress {
    Step step = Step::Pass1;
    int attempt = 0;          // with Pass2: its run, 1 to 3
    double fraction = 0;      // of the whole job, 0 to 1, never going back
    double fps = 0;           // frames per second of the step; 0 unknown
    double secondsLeft = -1;  // of the whole job; negative unknown
};

enum class Failure {
    None,
    // Refused before anything is encoded.
    NotChecked,           // the calculation is not "Geprüft"
    SourceUnreadable,     // see Outcome::probeError
    NoVideo,              // the source has no video stream
    VideoRateTooLow,      // below the codec's floor in bits per pixel
    AudioRateTooLow,      // below what the audio codec accepts
    AudioOverBudget,      // the audio alone, with the container, is over
    BadOutput,            // no .mkv or .mp4, the source itself, a folder
    BadPreset,            // not a preset of the codec
    BadHeight,            // not a height the picture can be scaled to
    OutputExists,         // see Outcome::existing; not with force
    NoSpace,              // too little free space in the output's folder
    FfmpegMissing,        // the ffmpeg program is not installed
    // While encoding.
    NotWritable,  // the output's folder cannot be written (also found before)
    DiskFull,
    FfmpegFailed,  // see Outcome::details
    NoFit,         // three second passes and none fits
    Cancelled,
};

struct OutputFile {
    std::string path;   // as the output was given, with its part suffix
    int64_t bytes = 0;  // measured on disk
    int64_t capacity = 0;
};

struct Outcome {
    Failure failure = Failure::None;
    std::string message;  // one English line; empty on success
    std::string details;  // the last lines of ffmpeg's error output, if any
    media::ProbeError probeError = media::ProbeError::None;  // SourceUnreadable
    std::vector<std::string> existing;                       // OutputExists
    std::vector<OutputFile> files;                           // in part order
    int64_t videoKbit = 0;  // the rate of the second pass that was kept
    int pass2Runs = 0;
    bool withAudio = false;            // the files hold sound
    std::vector<std::string> leftOut;  // one short description per stream
    bool refused = false;  // the failure was found before anything was encoded
    bool Ok() const { return failure == Failure::None; }
};

// The names the job writes for `output`: NAME.EXT itself for one part,
// NAME.part1.EXT to NAME.partN.EXT for more.
std::vector<std::string> OutputNames(const std::string& output, int64_t parts);

// Everything that refuses a job before encoding: reads the source's headers
// and checks the plan, the names and the program. Takes well under a second.
Outcome Check(const JobSpec& spec);

// The ffmpeg commands a run would start, as argument vectors: with the video
// rate planned from the budget before anything is measured (the audio at its
// nominal rate), and with the cuts at even shares of the duration, where a
// run places them at key frames after measuring. Its working folder is named
// by its pattern, ".NAME.tessarin-XXXXXX". For a film in parts it reads the
// whole source's packets (where to force key frames), which takes seconds
// for a large film. Empty with a refusal in `refusal` (what Check would
// say).
std::vector<std::vector<std::string>> PlannedCommands(const JobSpec& spec, Outcome* refusal);

class EncodeJob {
public:
    using ProgressFn = std::function<void(const Progress&)>;

    // Checks, then encodes; blocks until done, failed or cancelled. Progress
    // is reported on the calling thread. One run at a time per object.
    Outcome Run(const JobSpec& spec, const ProgressFn& progress);

    // Ends the run within a second, from any thread or a signal handler;
    // a run started after it is cancelled at once.
    void Cancel();

private:
    std::atomic<bool> m_cancelled{false};
};

}  // namespace encode
