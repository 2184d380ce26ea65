// Tells what a film file says of itself in its container's headers: the
// duration, the picture size and frame rate of its video, whether it has
// sound. It reads the headers and at most a bounded start of the streams,
// never the whole film, and gives up on a read that hangs. It decodes
// nothing and knows nothing of bitrates or CDs.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace media {

// How long one probe may read, counted once libavformat is loaded, before it
// gives up with TimedOut: an optical disc or a USB disk that wakes up may
// take eight seconds for its first byte. A read that the kernel itself
// blocks in (a hard-mounted network share that stopped answering) cannot be
// cut short by anything in the process, so call the probe off the user
// interface's thread.
inline constexpr std::chrono::milliseconds kProbeDeadline{10000};

enum class ProbeError {
    None,
    Missing,       // no such file
    Folder,        // a folder, not a file
    NotReadable,   // the read failed (an I/O error, a symlink loop, a socket)
    NoPermission,  // reading is not permitted
    Empty,         // zero bytes
    NotAFilm,      // no known film or sound format
    NoDuration,    // a raw stream or a live source: no duration to tell
    TimedOut,      // reading hung past the deadline (a stalled network mount)
    NoLibrary,     // FFmpeg's libraries, loaded at the first probe, are not installed
};

struct FilmFacts {
    int64_t durationSeconds = 0;  // rounded up, so that a rate computed for it fits
    bool hasVideo = false;
    int width = 0;  // of the first video stream; 0 without video
    int height = 0;
    double fps = 0;  // frames per second; 0 without video or when unknown
    bool hasAudio = false;
};

struct ProbeResult {
    ProbeError error = ProbeError::None;
    FilmFacts facts;  // meaningful only without an error
    bool Ok() const { return error == ProbeError::None; }
};

// The error for an `errno` from opening or examining a file.
ProbeError ErrorOfErrno(int errnoValue);

// Reads the file at `path`. Safe to call from any thread, also from several
// at once.
ProbeResult ProbeFilm(const std::string& path);

// The same from bytes in memory (for the fuzzer and tests): Missing, Folder,
// NotReadable and NoPermission do not occur.
ProbeResult ProbeFilmBytes(const unsigned char* data, std::size_t size);

// One English sentence naming `fileName` (as the user gave it, in the form of
// PrintableName), for command-line tools: "film.mkv: not a film or sound
// file".
std::string ErrorSentence(ProbeError error, const std::string& fileName);

// A file name for one line of a terminal: control characters (a newline, a
// tab, an escape) written as \n, \t, \x1b; bytes that are not UTF-8 stay.
std::string PrintableName(const std::string& name);

}  // namespace media
