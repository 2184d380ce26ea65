#include "tools/calc_apply.h"

#include <algorithm>

#include "core/slider_scale.h"
#include "settings/stored_settings.h"

namespace calc {

namespace {

bool Fits(int64_t a, int64_t b, int64_t* product) {
    return !__builtin_mul_overflow(a, b, product);
}

// What the tool prints beyond the window: the bitrates in bits per second.
bool BitRatesFit(const FilmModel& m) {
    int64_t bits = 0;
    return Fits(m.audioRate, 1024, &bits) && Fits(m.videoRate, 1024, &bits);
}

// With the limits on, a value outside its range goes to the nearest end.
void KeepInRange(FilmModel& m, int which, bool limits) {
    if (limits && IsRangeBroken(m, which)) CorrectRange(m, which);
}

}  // namespace

StartState InitialState() {
    return {};
}

StartState StoredState(settings::Registry& registry) {
    StartState s;
    settings::StoredControls controls;
    settings::ReadStoredSettings(registry, s.model, controls);
    s.locks = {controls.timeFix != 0, controls.audioFix != 0, controls.videoFix != 0,
               controls.sizeFix != 0};
    s.audioOff = controls.audioOff != 0;
    return s;
}

bool ApplyDuration(FilmModel& m, const DurationArg& d, bool limits) {
    int64_t total = d.totalSeconds;
    if (d.fields) {
        int64_t h = d.hours, min = d.minutes, s = d.seconds;
        if (limits) {
            if (h < 0) h = 0;
            if (min < 0) min = 0;
            if (min > 59) min = 59;
            if (s < 0) s = 0;
            if (s > 59) s = 59;
        }
        if (!Fits(h, 60, &h) || __builtin_add_overflow(h, min, &total) ||
            !Fits(total, 60, &total) || __builtin_add_overflow(total, s, &total))
            return false;
    }
    m.SetDuration(total);
    KeepInRange(m, Time, limits);
    return true;
}

void ApplyAudio(FilmModel& m, int64_t rate, bool limits) {
    m.audioRate = rate;
    KeepInRange(m, Audio, limits);
}

void ApplyVideo(FilmModel& m, int64_t rate, bool limits) {
    m.videoRate = rate;
    KeepInRange(m, Video, limits);
}

void ApplySize(FilmModel& m, int64_t bytes, bool limits) {
    m.SetSize(bytes);
    KeepInRange(m, Size, limits);
}

bool ApplyParts(FilmModel& m, int64_t parts, bool limits) {
    if (limits && parts < 1) parts = 1;
    int64_t header = 0;
    if (!Fits(parts, kHeaderBytesPerPart, &header)) return false;
    m.SetParts(parts);
    return true;
}

int ChooseTarget(const CalcOptions& o, const LockStates& locks, int changed) {
    if (o.solve >= 0) return o.solve;
    LockStates fixed = locks;
    int freeCount = 0, freeOne = -1;
    for (int q = Time; q <= Size; ++q) {
        bool& f = fixed[static_cast<std::size_t>(q)];
        f = f || o.Given(q);
        if (!f) {
            ++freeCount;
            freeOne = q;
        }
    }
    if (freeCount == 1) return freeOne;
    const int preferred = SolveTarget(changed, fixed);
    return preferred != changed ? preferred : SolveTarget(changed, locks);
}

Calculation Calculate(const CalcOptions& o, const StartState& start) {
    Calculation c;
    FilmModel& m = c.model;
    m = start.model;
    const bool limits = !o.noLimits;
    m.autoCalculate = 1;
    m.autoRange = limits ? 1 : 0;
    LockStates locks = o.locks ? *o.locks : start.locks;

    // The parts first, so that the size's rule meets their header.
    if (o.medium >= 0) {
        // That many of the medium: --cds or --parts tell how many, else one.
        const int64_t count = o.cds ? *o.cds : o.parts ? *o.parts : 1;
        int64_t bytes = 0;
        if (!ApplyParts(m, count, limits) ||
            !Fits(std::max<int64_t>(count, 1), kMedia[o.medium].bytes, &bytes)) {
            c.error = "--medium: that many do not fit in 64 bits";
            return c;
        }
        m.SetSize(bytes);
    } else if (o.cds) {
        int64_t bytes = 0;
        if (!ApplyParts(m, *o.cds, limits) ||
            !Fits(*o.cds, kCdSizes[static_cast<std::size_t>(o.cdSizeIndex)], &bytes)) {
            c.error = "--cds " + std::to_string(*o.cds) + ": that many CDs do not fit in 64 bits";
            return c;
        }
        m.SetSize(bytes);  // count times the CD size, as the CD list sets it
    }
    if (o.parts && !ApplyParts(m, *o.parts, limits)) {
        c.error = "--parts " + std::to_string(*o.parts) + ": the header does not fit in 64 bits";
        return c;
    }
    if (o.duration && !ApplyDuration(m, *o.duration, limits)) {
        c.error = "--duration: the duration in seconds does not fit in 64 bits";
        return c;
    }
    c.audioOff = o.noAudio || (start.audioOff && !o.audio);
    m.audioEnabled = c.audioOff ? 0 : 1;
    if (c.audioOff) {
        // No audio track: no audio data, and nothing may give it any.
        m.audioRate = 0;
        locks[Audio] = true;
    } else if (o.audio) {
        ApplyAudio(m, *o.audio, limits);
    }
    if (o.video) ApplyVideo(m, *o.video, limits);
    if (o.size) ApplySize(m, *o.size, limits);

    c.changed = o.lastGiven >= 0 ? o.lastGiven : Size;
    const int target = ChooseTarget(o, locks, c.changed);
    c.outcome = RecalculateModel(m, c.changed, target, true, locks, true);
    if (c.outcome.wrapped || !DataAmountsFit(m) || !BitRatesFit(m))
        c.error = "the result does not fit in 64 bits; give smaller values";
    return c;
}

}  // namespace calc
