#include "core/recalculation.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

// For each changed quantity, the quantities to solve in order of preference.
constexpr int kSolveOrder[4][3] = {
    {Video, Size, Audio},  // Time changed
    {Video, Size, Time},   // Audio changed
    {Size, Time, Audio},   // Video changed
    {Video, Time, Audio},  // Size changed
};

bool IsQuantity(int which) {
    return which >= Time && which <= Size;
}

// One level of the nesting; `depth` counts the corrections around it.
void SolveAt(FilmModel& m, int changed, int solved, bool rangeRules, int depth,
             RecalcOutcome& outcome) {
    if (!SolveFits(m, solved)) outcome.wrapped = true;
    m.Solve(solved);
    if (!rangeRules || m.autoRange == 0 || !IsRangeBroken(m, solved)) return;
    CorrectRange(m, solved);
    if (depth >= kMaxRangeNesting || m.autoCalculate == 0) return;
    if (depth == 0) outcome.changedSolvedAgain = true;
    SolveAt(m, solved, changed, rangeRules, depth + 1, outcome);
}

bool Add(int64_t a, int64_t b, int64_t* out) {
    return !__builtin_add_overflow(a, b, out);
}
bool Sub(int64_t a, int64_t b, int64_t* out) {
    return !__builtin_sub_overflow(a, b, out);
}
bool Mul(int64_t a, int64_t b, int64_t* out) {
    return !__builtin_mul_overflow(a, b, out);
}

// rate × seconds × 128, as the data amounts compute it.
bool DataBytes(int64_t rate, int64_t seconds, int64_t* out) {
    int64_t product = 0;
    return Mul(rate, seconds, &product) && Mul(product, 128, out);
}

}  // namespace

int SolveTarget(int changed, const LockStates& locked) {
    if (!IsQuantity(changed)) return -1;
    for (const int candidate : kSolveOrder[changed]) {
        if (!locked[static_cast<std::size_t>(candidate)]) return candidate;
    }
    return changed;
}

bool IsRangeBroken(const FilmModel& m, int which) {
    switch (which) {
        case Time:
            return m.totalSeconds < 1;
        case Audio:
            return m.audioRate > kMaxAudioRate || m.audioRate < kMinAudioRate;
        case Video:
            return m.videoRate < 1;
        case Size:
            return m.sizeBytes < m.headerBytes;
        default:
            return false;
    }
}

void CorrectRange(FilmModel& m, int which) {
    switch (which) {
        case Time:
            m.SetDuration(1);
            break;
        case Audio:
            m.audioRate = m.audioRate > kMaxAudioRate ? kMaxAudioRate : kMinAudioRate;
            break;
        case Video:
            m.videoRate = 1;
            break;
        case Size:
            m.SetSize(m.headerBytes);
            break;
        default:
            break;
    }
}

RecalcOutcome SolveInRange(FilmModel& m, int changed, int solved, bool rangeRules) {
    RecalcOutcome outcome;
    if (!IsQuantity(solved)) return outcome;
    outcome.solved = solved;
    SolveAt(m, changed, solved, rangeRules, 0, outcome);
    return outcome;
}

RecalcOutcome RecalculateModel(FilmModel& m, int changed, int target, bool force,
                               const LockStates& locked, bool rangeRules) {
    int solved = SolveTarget(changed, locked);
    if (m.autoCalculate == 0 && !force) return {};
    if (target != -1) solved = target;
    return SolveInRange(m, changed, solved, rangeRules);
}

bool SolveFits(const FilmModel& m, int which) {
    int64_t usable = 0;
    const bool payloadFits = Sub(m.sizeBytes, m.headerBytes, &usable);
    const int64_t payload = usable >> 7;
    int64_t r = 0;
    switch (which) {
        case Time: {
            if (!payloadFits || !Add(m.audioRate, m.videoRate, &r)) return false;
            if (r == 0) r = 1;
            const int64_t q = payload / r;  // |payload| < 2^56, so no overflow
            return q >= std::numeric_limits<int32_t>::min() &&
                   q <= std::numeric_limits<int32_t>::max();
        }
        case Audio:
        case Video: {
            const int64_t d = m.totalSeconds == 0 ? 1 : m.totalSeconds;
            const int64_t other = which == Audio ? m.videoRate : m.audioRate;
            return payloadFits && Sub(payload / d, other, &r);
        }
        case Size: {
            int64_t data = 0;
            return Add(m.audioRate, m.videoRate, &r) && DataBytes(r, m.totalSeconds, &data) &&
                   Add(data, m.headerBytes, &r);
        }
        default:
            return true;
    }
}

bool DataAmountsFit(const FilmModel& m) {
    int64_t header = 0, audio = 0, video = 0;
    return Mul(m.parts, kHeaderBytesPerPart, &header) && header == m.headerBytes &&
           DataBytes(m.audioRate, m.totalSeconds, &audio) &&
           DataBytes(m.videoRate, m.totalSeconds, &video) && SolveFits(m, Size);
}
