// The rules of a recalculation, on a FilmModel alone: which quantity is
// solved after another one changed (by a fixed preference order and the four
// "Fest" locks), the range rule of each quantity, and the nested correction
// that solves the changed quantity again when the solved one had to be
// corrected. The main window and the command-line calculator both call these;
// neither showing values nor reading input happens here. Arithmetic wraps as
// the film model's does; SolveFits and DataAmountsFit tell when it did.
#pragma once

#include <array>

#include "core/film_model.h"

// The four "Fest" boxes, by quantity number: true = locked.
using LockStates = std::array<bool, 4>;

// Nested range corrections beyond this depth only correct in place. Two kinds
// of state would otherwise never settle: a quantity whose three partners are
// locked (solved again to the same value), and a pair that keeps correcting
// each other (a duration below one second left by the full re-read, or a size
// equal to the header). No state that settles by itself needs more than one.
inline constexpr int kMaxRangeNesting = 2;

// The first quantity of `changed`'s preference list that is not locked; the
// changed quantity itself when all three are (its own lock is not looked at).
// -1 for a number outside 0..3.
int SolveTarget(int changed, const LockStates& locked);

// The range of a solved quantity: duration at least 1 second, audio 4 to 384
// kBit/s (whether or not there is audio), video at least 1 kBit/s, size at
// least the headers. Numbers outside 0..3 have no range.
bool IsRangeBroken(const FilmModel& m, int which);
// Puts quantity `which` back to the nearest end of its range.
void CorrectRange(FilmModel& m, int which);

struct RecalcOutcome {
    // The quantity solved; -1 when nothing was (automatic calculation off and
    // not forced).
    int solved = -1;
    // The solved value broke its range, was corrected, and the changed
    // quantity was solved again from it.
    bool changedSolvedAgain = false;
    // Some solve on the way wrapped around 64 bits, or solved a duration
    // beyond the 32 bits the time solve keeps.
    bool wrapped = false;
};

// Solves `solved`. When `rangeRules` is true, m.autoRange is set and the
// value broke its range, corrects it and solves `changed` again from it as an
// unforced recalculation of its own (nothing more with m.autoCalculate 0), in
// which the corrected quantity counts as changed; and so on in turn, down to
// kMaxRangeNesting.
RecalcOutcome SolveInRange(FilmModel& m, int changed, int solved, bool rangeRules);

// One whole recalculation after `changed` was changed: the quantity from the
// lock table, or `target` regardless of the locks unless it is -1; nothing
// while m.autoCalculate is 0 unless `force`; then SolveInRange.
RecalcOutcome RecalculateModel(FilmModel& m, int changed, int target, bool force,
                               const LockStates& locked, bool rangeRules);

// True when m.Solve(which) computes without wrapping: every sum, difference
// and product fits 64 bits, and a solved duration fits 32 bits.
bool SolveFits(const FilmModel& m, int which);
// True when the header, audio, video and total data amounts fit 64 bits.
bool DataAmountsFit(const FilmModel& m);
