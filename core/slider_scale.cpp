#include "core/slider_scale.h"

#include <algorithm>

#include "core/wrap.h"

namespace {

// A slider shows a position outside its range at the nearer end; clamping
// here as well keeps 64-bit values from being cut to their low 32 bits.
int ClampToRange(int64_t v, const SliderRange& range) {
    return static_cast<int>(std::clamp<int64_t>(v, range.minimum, range.maximum));
}

}  // namespace

int TimeSliderPosition(int64_t totalSeconds) {
    return ClampToRange(totalSeconds, kTimeSliderRange);
}

int VideoSliderPosition(int64_t videoRate) {
    return ClampToRange(videoRate, kVideoSliderRange);
}

int AudioSliderPosition(int64_t audioRate) {
    if (audioRate > kAudioSteps.back()) return kAudioSliderRange.maximum;
    // At or below the lowest step: compared directly, so that a rate far below
    // cannot wrap in the distance sums below.
    if (audioRate <= kAudioSteps.front()) return kAudioSliderRange.minimum;
    int i = 1;
    while (audioRate > kAudioSteps[i])
        ++i;
    // Nearest step; a tie goes to the higher one.
    return (audioRate - kAudioSteps[i - 1]) < (kAudioSteps[i] - audioRate) ? i - 1 : i;
}

int SizeSliderPosition(int64_t sizeBytes, int64_t headerBytes) {
    const int64_t k = wrap::Low32(sizeBytes >> 10);
    if (k > kSizeSliderRange.maximum) return kSizeSliderRange.maximum;
    const int64_t headerK = headerBytes >> 10;
    // Below the slider's first position (no header, or a negative one) the
    // thumb stays at the left end.
    return ClampToRange(k < headerK ? headerK : k, kSizeSliderRange);
}

int64_t AudioRateAtPosition(int position) {
    const int i = std::clamp(position, kAudioSliderRange.minimum, kAudioSliderRange.maximum);
    return kAudioSteps[i];
}

int64_t SizeBytesAtPosition(int position) {
    return static_cast<int64_t>(position) * 1024;
}
