// What one command line of tessarin-calc does to a film model: it starts from
// the window's first values or from the stored settings, takes the values
// given with the rules the window's change handlers apply while "Automatisch
// begrenzen" is on, chooses the quantity to solve, and runs one forced
// recalculation through core/recalculation.h, as the window does. It prints
// nothing; a result that needed more than 64 bits is an error here, where
// the window would wrap.
#pragma once

#include <string>

#include "core/film_model.h"
#include "core/recalculation.h"
#include "settings/registry.h"
#include "tools/calc_options.h"

namespace calc {

struct StartState {
    FilmModel model;
    LockStates locks{};
    bool audioOff = false;  // the "Aus" box
};

// The window's first values, no locks, audio on.
StartState InitialState();
// The stored values, "Fest" boxes and "Aus" box over the first ones; the
// stored options do not count (the tool always calculates, and the command
// line decides on the limits). Only reads.
StartState StoredState(settings::Registry& registry);

// The change handlers' rules for one value; with `limits` false the value is
// taken as it is. The time fields: hours and minutes and seconds below 0 are
// 0, minutes and seconds above 59 are 59, and a duration below 1 second is 1
// second. False when the duration does not fit 64 bits.
bool ApplyDuration(FilmModel& m, const DurationArg& d, bool limits);
void ApplyAudio(FilmModel& m, int64_t rate, bool limits);
void ApplyVideo(FilmModel& m, int64_t rate, bool limits);
// Below the headers, the size is the headers.
void ApplySize(FilmModel& m, int64_t bytes, bool limits);
// Fewer than 1 part is 1 part. False when the header does not fit 64 bits.
bool ApplyParts(FilmModel& m, int64_t parts, bool limits);

// The quantity to solve: --solve; else the one quantity neither given nor
// locked; else the lock table for `changed` (the last quantity given), in
// which given quantities count as locked too, unless that leaves none of the
// three, when the locks alone decide as in the window.
int ChooseTarget(const CalcOptions& o, const LockStates& locks, int changed);

struct Calculation {
    FilmModel model;
    bool audioOff = false;
    int changed = Size;
    RecalcOutcome outcome;
    std::string error;  // a usage error or a result beyond 64 bits; empty if none
};

Calculation Calculate(const CalcOptions& o, const StartState& start);

}  // namespace calc
