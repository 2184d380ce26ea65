// Feeds arbitrary bytes to the probe, as they are and behind the first bytes
// of common containers (so that random input reaches their header readers):
// nothing may crash, leak or hang, and a result must be one the interface
// allows from memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "media/film_probe.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Matroska, MP4, AVI, Ogg, FLV, MPEG transport and program streams, MP3 with
// a tag, RIFF sound.
constexpr std::string_view kStarts[] = {
    {"\x1A\x45\xDF\xA3\x9F\x42\x86\x81\x01\x42\xF7\x81\x01\x42\x82\x88matroska", 24},
    {"\0\0\0\030ftypisom\0\0\x02\0isomiso2", 24},
    {"RIFF\xFF\xFF\0\0AVI LIST", 16},
    {"OggS\0\x02", 6},
    {"FLV\x01\x05\0\0\0\x09\0\0\0\0", 13},
    {"\x47\x40\x00\x10\x00", 5},
    {"\0\0\x01\xBA\x44", 5},
    {"ID3\x04\0\0\0\0\0\0", 10},
    {"RIFF\xFF\xFF\0\0WAVEfmt ", 16},
};

void CheckResult(const std::vector<unsigned char>& bytes) {
    const media::ProbeResult r = media::ProbeFilmBytes(bytes.data(), bytes.size());
    Check(r.error != media::ProbeError::Missing && r.error != media::ProbeError::Folder &&
          r.error != media::ProbeError::NotReadable && r.error != media::ProbeError::NoPermission);
    Check(r.Ok() == (r.facts.durationSeconds > 0));
    Check(r.facts.durationSeconds <= INT32_MAX && r.facts.width >= 0 && r.facts.height >= 0);
    Check(r.facts.hasVideo || (r.facts.width == 0 && r.facts.fps == 0));
    Check(!r.Ok() || r.facts.hasVideo || r.facts.hasAudio);
}

}  // namespace

// The bytes as they are, then the first one choosing a container start for
// the rest.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> bytes(data, data + size);
    CheckResult(bytes);
    if (size > 0) {
        const std::string_view start = kStarts[data[0] % std::size(kStarts)];
        bytes.assign(start.begin(), start.end());
        bytes.insert(bytes.end(), data + 1, data + size);
        CheckResult(bytes);
    }
    return 0;
}
