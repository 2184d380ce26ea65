// The scales of the four sliders: range, what a position means, and the
// conversion of a model value into a position. The audio slider indexes a
// table of common bitrates; the others are linear.
#pragma once

#include <array>
#include <cstdint>

struct SliderRange {
    int minimum;
    int maximum;
};

inline constexpr SliderRange kTimeSliderRange{1, 7200};      // seconds
inline constexpr SliderRange kAudioSliderRange{0, 20};       // index into kAudioSteps
inline constexpr SliderRange kVideoSliderRange{1, 6000};     // kBit/s
inline constexpr SliderRange kSizeSliderRange{1, 2097151};   // kByte, times 1024 fits 32 bits

inline constexpr std::array<int64_t, 21> kAudioSteps{4,  8,  16, 18,  20,  24,  32,  40,  48,  56, 64,
                                                     80, 96, 112, 128, 160, 192, 224, 256, 320, 384};

// Sizes in bytes of the CD size list entries "650 MB", "700 MB", "800 MB".
inline constexpr std::array<int64_t, 3> kCdSizes{681574400, 734003200, 838860800};

// Value to position, always inside the slider's range.
int TimeSliderPosition(int64_t totalSeconds);
int AudioSliderPosition(int64_t audioRate);
int VideoSliderPosition(int64_t videoRate);
int SizeSliderPosition(int64_t sizeBytes, int64_t headerBytes);

// Position to value.
int64_t AudioRateAtPosition(int position);
int64_t SizeBytesAtPosition(int position);
