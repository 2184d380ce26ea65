// What the encode job reads from a film beyond film_probe.h: its exact
// duration, every stream with its kind, codec and language, and, for the
// files the job wrote itself, every packet's size, time, place and key-frame
// flag. It opens only the one file it is given (no playlists, no references
// to other files) and decodes nothing. No Qt.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "media/film_probe.h"

namespace media {

enum class StreamKind { Video, Audio, Subtitle, Attachment, Data, Other };

struct StreamFacts {
    int index = 0;  // the container's stream number, as ffmpeg's -map 0:N counts
    StreamKind kind = StreamKind::Other;
    std::string codec;       // "h264", "aac", "subrip", ...
    std::string language;    // the stream's language tag; empty when none
    bool cover = false;      // a picture attached to the file, not a film
    int channels = 0;        // audio
    int sampleRate = 0;      // audio
    int extradataBytes = 0;  // the decoder's set-up data, stored in the headers
};

struct StreamList {
    ProbeError error = ProbeError::None;
    int64_t durationMicroseconds = 0;
    int64_t startMicroseconds = 0;  // the first time stamp; 0 when unknown
    int chapters = 0;
    std::vector<StreamFacts> streams;
    bool Ok() const { return error == ProbeError::None; }
};

// Reads the headers of `path` (and at most the start of its streams, as the
// probe does), giving up after kProbeDeadline.
StreamList ListStreams(const std::string& path);

struct PacketFacts {
    int stream = 0;
    int64_t bytes = 0;
    int64_t dtsMicroseconds = 0;  // INT64_MIN when the packet tells none
    int64_t ptsMicroseconds = 0;  // INT64_MIN when the packet tells none
    int64_t position = -1;        // of the packet's bytes in the file; -1 unknown
    bool key = false;
};

struct PacketList {
    bool ok = false;  // false when the file could not be read to its end
    int64_t startMicroseconds = 0;
    std::vector<StreamFacts> streams;
    std::vector<PacketFacts> packets;  // in the file's order
};

// Reads every packet of `path`. Gives up, with ok false, as soon as `stop`
// becomes true (checked between reads).
PacketList ScanPackets(const std::string& path, const std::atomic<bool>& stop);

}  // namespace media
