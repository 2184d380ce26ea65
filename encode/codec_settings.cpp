#include "encode/codec_settings.h"

#include <algorithm>
#include <cctype>

namespace encode {

namespace {

struct VideoFacts {
    const char* encoder;  // in ffmpeg
    const char* name;     // for messages
    double floorBitsPerPixel;
    double rateMargin;
};

// In the order of VideoCodec. The floors: two passes at rates from 0.01 to
// 0.05 bits per pixel, 30 s of full-frame noise, of a test picture with
// heavy grain (320 x 180) and of a small one (160 x 90), fastest presets:
// x264 came out at most 2 % over its rate from 0.02 on, x265 from 0.03 (at
// 0.02 the small picture came out 15 % over), VP9 on grain from 0.03 and on
// the small picture only at 0.05 (11 % over, within reach of a corrected
// second pass). Full-frame noise VP9 cannot hold below about 0.2 at speed 4
// or 8: such a film ends as "does not fit". The margin is the share of the
// budget held back for the encoder's error in keeping to its rate.
constexpr VideoFacts kVideoFacts[] = {
    {"libx264", "H.264", 0.02, 0.008},
    {"libx265", "H.265", 0.03, 0.010},
    {"libvpx-vp9", "VP9", 0.05, 0.010},
};

struct AudioFacts {
    const char* encoder;
    const char* name;
    int64_t floorKbit;  // of 1024 bits
};

// In the order of AudioCodec. FFmpeg's own AAC encoder keeps to 8 kBit/s in
// mono at 16 kHz; LAME makes 8 kBit/s at 24 kHz and below (MPEG-2 layer
// III); Opus is made for 6.
constexpr AudioFacts kAudioFacts[] = {
    {"aac", "AAC", 8},
    {"libopus", "Opus", 6},
    {"libmp3lame", "MP3", 8},
};

const VideoFacts& Facts(VideoCodec codec) {
    return kVideoFacts[static_cast<std::size_t>(codec)];
}

const AudioFacts& Facts(AudioCodec codec) {
    return kAudioFacts[static_cast<std::size_t>(codec)];
}

bool EndsWithNoCase(const std::string& text, const char* end) {
    const std::string e(end);
    if (text.size() <= e.size()) return false;
    for (std::size_t i = 0; i < e.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[text.size() - e.size() + i]);
        if (std::tolower(c) != e[i]) return false;
    }
    return true;
}

}  // namespace

bool ContainerOf(const std::string& output, Container* container) {
    if (EndsWithNoCase(output, ".mkv")) {
        *container = Container::Matroska;
        return true;
    }
    if (EndsWithNoCase(output, ".mp4")) {
        *container = Container::Mp4;
        return true;
    }
    return false;
}

const char* MuxerName(Container container) {
    return container == Container::Matroska ? "matroska" : "mp4";
}

const char* Extension(Container container) {
    return container == Container::Matroska ? ".mkv" : ".mp4";
}

const char* EncoderName(VideoCodec codec) {
    return Facts(codec).encoder;
}

const char* CodecName(VideoCodec codec) {
    return Facts(codec).name;
}

const char* EncoderName(AudioCodec codec) {
    return Facts(codec).encoder;
}

const char* CodecName(AudioCodec codec) {
    return Facts(codec).name;
}

bool ValidPreset(VideoCodec codec, const std::string& preset) {
    if (preset.empty()) return true;
    if (codec == VideoCodec::VP9) return preset.size() == 1 && preset[0] >= '0' && preset[0] <= '8';
    const char* names[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                           "medium",    "slow",      "slower",   "veryslow"};
    return std::find(std::begin(names), std::end(names), preset) != std::end(names);
}

double FloorBitsPerPixel(VideoCodec codec) {
    return Facts(codec).floorBitsPerPixel;
}

int64_t AudioFloorKbit(AudioCodec codec) {
    return Facts(codec).floorKbit;
}

AudioSetup ChooseAudio(AudioCodec codec, int64_t bitsPerSecond, int sourceChannels,
                       int sourceSampleRate) {
    AudioSetup a;
    a.codec = codec;
    a.bitsPerSecond = bitsPerSecond;
    // Stereo at most: a film for CDs, and what every player plays.
    const int channels = sourceChannels > 2 ? 2 : std::max(sourceChannels, 1);
    if (sourceChannels > 2) a.channels = 2;
    // The highest of these rates that the source has and that the encoder
    // can keep to the rate with.
    const auto highestUpTo = [&](int64_t limit) {
        for (const int rate : {48000, 44100, 32000, 24000, 22050, 16000}) {
            if (rate <= limit && rate <= sourceSampleRate) return rate;
        }
        return 0;
    };
    switch (codec) {
        case AudioCodec::AAC: {
            // Measured: FFmpeg's AAC encoder keeps to its rate with about half
            // a bit per sample and channel, and not below 16 kBit/s in stereo.
            int ch = channels;
            if (bitsPerSecond < 16 * 1024 && ch > 1) ch = a.channels = 1;
            const int rate = highestUpTo(std::max<int64_t>(2 * bitsPerSecond / ch, 16000));
            if (rate != 0 && rate != sourceSampleRate) a.sampleRate = rate;
            break;
        }
        case AudioCodec::MP3: {
            // MPEG-1 layer III starts at 32 kbit/s (of 1000 bits); below,
            // the MPEG-2 rates of 24 kHz and less.
            const int rate = highestUpTo(bitsPerSecond < 32000 ? 24000 : 48000);
            if (rate != 0 && rate != sourceSampleRate) a.sampleRate = rate;
            break;
        }
        case AudioCodec::Opus:
            break;  // always 48 kHz inside; ffmpeg converts
    }
    return a;
}

double AudioPacketsPerSecond(const AudioSetup& setup, int sourceSampleRate) {
    const double rate = setup.sampleRate > 0 ? setup.sampleRate : std::max(sourceSampleRate, 8000);
    switch (setup.codec) {
        case AudioCodec::AAC:
            return rate / 1024;
        case AudioCodec::MP3:
            return rate / (rate >= 32000 ? 1152 : 576);
        case AudioCodec::Opus:
            return 50;  // 20 ms frames
    }
    return 50;
}

// Measured with bench/encode/measure_overhead.sh: films of 10 s to 2 min
// (H.264 with and without B-frames, H.265, VP9; AAC, Opus or no sound;
// packets of 0.5 to 10 kB) copied into each container, the bytes beyond the
// packets' own fitted per video packet, per audio packet and per file.
// Matroska: 7.2 to 7.7 bytes a video packet (block header, clusters, cues),
// 7.0 an audio packet, 0.6 to 3.1 kB a file (H.265's set-up data the most).
// MP4: 4.0 bytes a video packet without B-frames (VP9), 10.4 to 11.7 with
// them (their composition offsets), 8.9 an audio packet, 1.2 to 3.6 kB a
// file. The upper ends are taken: this is the estimate before the first
// measurement, which then replaces it.
ContainerCost CostOf(Container container, VideoCodec codec) {
    if (container == Container::Matroska) return {7.7, 7.1, 3200};
    return {codec == VideoCodec::VP9 ? 4.0 : 11.7, 9.0, 3700};
}

double RateMargin(VideoCodec codec) {
    return Facts(codec).rateMargin;
}

}  // namespace encode
