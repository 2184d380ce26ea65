// The one record of the calculator: size, bitrates, duration, number of parts
// (CDs) with their header, and the option and view flags of the main window.
// It keeps each quantity's derived forms in step, solves any one of the four
// quantities from the other three, clamps and judges ranges. It knows nothing
// of controls and does no input or output. All arithmetic wraps.
#pragma once

#include <cstdint>

// Quantity numbers, also used as section numbers.
enum Quantity : int { Time = 0, Audio = 1, Video = 2, Size = 3 };

// Validity states as the status bar shows them.
enum ValidityState : int { kStateNone = 0, kStateChecked = 1, kStateUnchecked = 2, kStateFaulty = 3 };

inline constexpr int64_t kHeaderBytesPerPart = 10256;
inline constexpr int64_t kMinAudioRate = 4;
inline constexpr int64_t kMaxAudioRate = 384;

struct FilmModel {
    int64_t sizeBytes;
    int64_t sizeKB;
    int64_t sizeMB;
    int64_t sizeGB;
    int64_t audioRate;
    int64_t videoRate;
    int64_t parts;
    int64_t headerBytes;
    int64_t hours;
    int64_t minutes;
    int64_t seconds;
    int64_t totalSeconds;
    int64_t totalMinutes;
    int32_t autoRange;
    int32_t autoCalculate;
    int32_t audioEnabled;
    int32_t saveOnExit;
    int32_t statusShown;
    int32_t tooltipsShown;
    int32_t timeShown;
    int32_t audioShown;
    int32_t videoShown;
    int32_t sizeShown;

    FilmModel() { Reset(); }

    void Reset();
    void SetDuration(int64_t t);
    void SetParts(int64_t n);
    void SetSize(int64_t b);
    // Recomputes quantity `which` from the other three; -1 and no change for
    // any number other than 0..3.
    int64_t Solve(int which);
    void ClampAll();
    int Validity() const;

    int64_t AudioBytes() const;
    int64_t VideoBytes() const;
    int64_t TotalBytes() const;
};
