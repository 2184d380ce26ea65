#include "core/film_model.h"

#include "core/wrap.h"

namespace {

// Kilobit-seconds that fit into the size after the headers: one second at
// 1 kBit/s is 128 bytes. Arithmetic shift, so it rounds toward minus infinity.
int64_t Payload(const FilmModel& m) { return wrap::Sub(m.sizeBytes, m.headerBytes) >> 7; }

int64_t DurationDivisor(const FilmModel& m) { return m.totalSeconds == 0 ? 1 : m.totalSeconds; }

}  // namespace

void FilmModel::Reset() {
    SetSize(1468006400);  // 1400 MByte
    audioRate = 128;
    videoRate = 1995;
    SetParts(2);
    SetDuration(5400);  // 1:30:00
    autoRange = 1;
    autoCalculate = 1;
    audioEnabled = 1;
    saveOnExit = 0;
    statusShown = 1;
    tooltipsShown = 1;
    timeShown = 1;
    audioShown = 1;
    videoShown = 1;
    sizeShown = 1;
}

void FilmModel::SetDuration(int64_t t) {
    totalSeconds = t;
    seconds = t % 60;
    totalMinutes = t / 60;
    minutes = totalMinutes % 60;
    hours = totalMinutes / 60;
}

void FilmModel::SetParts(int64_t n) {
    parts = n;
    headerBytes = wrap::Mul(n, kHeaderBytesPerPart);
}

void FilmModel::SetSize(int64_t b) {
    sizeBytes = b;
    sizeKB = b >> 10;
    sizeMB = b >> 20;
    sizeGB = b >> 30;
}

int64_t FilmModel::Solve(int which) {
    switch (which) {
        case Time: {
            int64_t r = wrap::Add(audioRate, videoRate);
            if (r == 0) r = 1;
            const int64_t q = wrap::Low32(wrap::Div(Payload(*this), r));
            SetDuration(q);
            return q;
        }
        case Audio:
            audioRate = wrap::Sub(wrap::Div(Payload(*this), DurationDivisor(*this)), videoRate);
            return audioRate;
        case Video:
            videoRate = wrap::Sub(wrap::Div(Payload(*this), DurationDivisor(*this)), audioRate);
            return videoRate;
        case Size:
            SetSize(TotalBytes());
            return sizeBytes;
        default:
            return -1;
    }
}

void FilmModel::ClampAll() {
    if (sizeBytes < headerBytes) SetSize(headerBytes);
    if (audioRate > kMaxAudioRate) {
        audioRate = kMaxAudioRate;
    } else if (audioRate < kMinAudioRate) {
        audioRate = kMinAudioRate;
    }
    if (videoRate < 1) videoRate = 1;
    if (totalSeconds < 1) SetDuration(1);
}

int FilmModel::Validity() const {
    const bool valid = totalSeconds >= 1 && videoRate >= 1 && audioRate <= kMaxAudioRate &&
                       audioRate >= (audioEnabled != 0 ? kMinAudioRate : 0) &&
                       sizeBytes >= headerBytes && parts >= 1;
    if (!valid) return kStateFaulty;
    return autoCalculate != 0 ? kStateChecked : kStateUnchecked;
}

int64_t FilmModel::AudioBytes() const { return wrap::Mul(wrap::Mul(totalSeconds, audioRate), 128); }

int64_t FilmModel::VideoBytes() const { return wrap::Mul(wrap::Mul(totalSeconds, videoRate), 128); }

int64_t FilmModel::TotalBytes() const {
    return wrap::Add(wrap::Mul(wrap::Mul(wrap::Add(audioRate, videoRate), totalSeconds), 128),
                     headerBytes);
}
