// What the job knows of each codec and container: the encoder's name in
// ffmpeg, its presets, the lowest rates it can be held to, how the audio is
// set up for a rate, and what the container adds per packet and per file.
// Plain tables and rules; it runs nothing.
#pragma once

#include <cstdint>
#include <string>

#include "encode/encode_job.h"

namespace encode {

enum class Container { Matroska, Mp4 };

// By the output's extension (.mkv or .mp4, in any case); false for others.
bool ContainerOf(const std::string& output, Container* container);
const char* MuxerName(Container container);  // ffmpeg's -f
const char* Extension(Container container);  // ".mkv", ".mp4"

const char* EncoderName(VideoCodec codec);  // "libx264", ...
const char* CodecName(VideoCodec codec);    // "H.264", ... for messages
const char* EncoderName(AudioCodec codec);
const char* CodecName(AudioCodec codec);

// Empty (the codec's own default) or one of the codec's presets.
bool ValidPreset(VideoCodec codec, const std::string& preset);

// The lowest video rate taken, in bits per pixel of the output picture.
double FloorBitsPerPixel(VideoCodec codec);
// The lowest audio rate taken, in kBit/s of 1024 bits.
int64_t AudioFloorKbit(AudioCodec codec);

// The audio as it is encoded for a rate: channels and sample rate are
// lowered where the encoder could not keep to the rate otherwise.
struct AudioSetup {
    AudioCodec codec = AudioCodec::AAC;
    int64_t bitsPerSecond = 0;
    int channels = 0;    // 0: the source's
    int sampleRate = 0;  // 0: the source's (or the encoder's choice)
};
AudioSetup ChooseAudio(AudioCodec codec, int64_t bitsPerSecond, int sourceChannels,
                       int sourceSampleRate);
// About how many packets a second the encoder makes, for the estimate made
// before the audio is encoded.
double AudioPacketsPerSecond(const AudioSetup& setup, int sourceSampleRate);

// The container's bytes beyond the packets' own: per packet and per file
// (headers, index, codec set-up). Measured on this system's ffmpeg; see
// codec_settings.cpp.
struct ContainerCost {
    double perVideoPacket = 0;
    double perAudioPacket = 0;
    int64_t perFile = 0;
};
ContainerCost CostOf(Container container, VideoCodec codec);

// The share of the budget held back from the first second pass for the
// encoder's error in keeping to its rate.
double RateMargin(VideoCodec codec);

}  // namespace encode
