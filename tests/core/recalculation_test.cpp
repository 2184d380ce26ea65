#include "core/recalculation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>

namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr LockStates kNoLocks{};

LockStates Locks(std::initializer_list<int> which) {
    LockStates l{};
    for (const int q : which)
        l[static_cast<std::size_t>(q)] = true;
    return l;
}

TEST(SolveTarget, FirstUnlockedOfThePreferenceOrder) {
    struct Row {
        int changed;
        LockStates locked;
        int expected;
    };
    const Row rows[] = {
        // No locks: a new duration, audio rate or size moves the video rate; a
        // new video rate moves the size.
        {Time, kNoLocks, Video},
        {Audio, kNoLocks, Video},
        {Video, kNoLocks, Size},
        {Size, kNoLocks, Video},
        // Second and third choices.
        {Time, Locks({Video}), Size},
        {Time, Locks({Video, Size}), Audio},
        {Audio, Locks({Video, Size}), Time},
        {Video, Locks({Size}), Time},
        {Video, Locks({Size, Time}), Audio},
        {Size, Locks({Video}), Time},
        {Size, Locks({Video, Time}), Audio},
        // All three partners locked: the changed quantity itself.
        {Time, Locks({Video, Size, Audio}), Time},
        {Size, Locks({Video, Time, Audio}), Size},
        // The changed quantity's own lock is not looked at.
        {Audio, Locks({Audio}), Video},
        {Video, Locks({Time, Audio, Video, Size}), Video},
        // Not a quantity.
        {-1, kNoLocks, -1},
        {4, kNoLocks, -1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(SolveTarget(r.changed, r.locked), r.expected) << "changed " << r.changed;
}

// One recalculation, from a prepared model to the four quantities after it.
struct RecalcCase {
    const char* name;
    std::function<void(FilmModel&)> setup;
    int changed, target;
    bool force;
    LockStates locked;
    bool rangeRules;
    // Expected.
    int solved;
    bool changedSolvedAgain;
    int64_t seconds, audio, video, size;
};

void PrintTo(const RecalcCase& c, std::ostream* os) {
    *os << c.name;
}

class Recalculation : public ::testing::TestWithParam<RecalcCase> {};

TEST_P(Recalculation, SolvesCorrectsAndEnds) {
    const RecalcCase& c = GetParam();
    FilmModel m;
    c.setup(m);
    const RecalcOutcome r =
        RecalculateModel(m, c.changed, c.target, c.force, c.locked, c.rangeRules);
    EXPECT_EQ(r.solved, c.solved);
    EXPECT_EQ(r.changedSolvedAgain, c.changedSolvedAgain);
    EXPECT_FALSE(r.wrapped);
    EXPECT_EQ(m.totalSeconds, c.seconds);
    EXPECT_EQ(m.audioRate, c.audio);
    EXPECT_EQ(m.videoRate, c.video);
    EXPECT_EQ(m.sizeBytes, c.size);
}

constexpr int64_t kInitialSize = 1468006400;

INSTANTIATE_TEST_SUITE_P(
    Cases, Recalculation,
    ::testing::Values(
        // 2:00:00 into 100 MByte: the video rate would be -15, becomes 1, and
        // the duration is solved back from it: 819039 quo 129.
        RecalcCase{"LongestDurationAtOneKilobit",
                   [](FilmModel& m) {
                       m.SetSize(100 << 20);
                       m.SetDuration(7200);
                   },
                   Time, -1, false, kNoLocks, true, Video, true, 6349, 128, 1, 100 << 20},
        // The same with the range rules off (the window initialising): the
        // negative rate stays.
        RecalcCase{"NoRangeRules",
                   [](FilmModel& m) {
                       m.SetSize(100 << 20);
                       m.SetDuration(7200);
                   },
                   Time, -1, false, kNoLocks, false, Video, false, 7200, 128, -15, 100 << 20},
        // Automatic calculation off: nothing unless forced; forced, the range
        // correction's nested recalculation only corrects.
        RecalcCase{"AutoCalculateOff",
                   [](FilmModel& m) {
                       m.SetDuration(3600);
                       m.autoCalculate = 0;
                   },
                   Time, -1, false, kNoLocks, true, -1, false, 3600, 128, 1995, kInitialSize},
        RecalcCase{"AutoCalculateOffForced",
                   [](FilmModel& m) {
                       m.SetSize(m.headerBytes);
                       m.autoCalculate = 0;
                   },
                   Size, -1, true, kNoLocks, true, Video, false, 5400, 128, 1, 20512},
        // A forced target ignores the locks (the "Aus" box solves the size).
        RecalcCase{"ForcedTargetDespiteLock", [](FilmModel& m) { m.audioRate = 0; }, Audio, Size,
                   false, Locks({Size}), true, Size, false, 5400, 0, 1995, 1378964512},
        // 395 kByte: all partners of the audio rate locked, its solve gives
        // 2999 - 1995 = 1004 every time; corrected to 384, and it ends.
        RecalcCase{"SelfSolvedOutOfRangeEnds",
                   [](FilmModel& m) {
                       m.SetSize(395 << 10);
                       m.SetDuration(1);
                       m.audioRate = 96;
                   },
                   Audio, -1, false, Locks({Time, Video, Size}), true, Audio, true, 1, 384, 1995,
                   395 << 10},
        // A negative duration (the full re-read of "-2" hours): video and size
        // correct each other until the depth bound.
        RecalcCase{"NegativeDurationEnds", [](FilmModel& m) { m.SetDuration(-5400); }, Size, -1,
                   true, kNoLocks, true, Video, true, -5400, 128, 1, 20512},
        // A size equal to the header: video and duration correct each other.
        RecalcCase{"SizeAtHeaderEnds",
                   [](FilmModel& m) {
                       m.SetSize(m.headerBytes);
                       m.SetDuration(10800);
                   },
                   Time, -1, false, kNoLocks, true, Video, true, 1, 128, 1, 20512}),
    [](const ::testing::TestParamInfo<RecalcCase>& p) { return std::string(p.param.name); });

TEST(Recalculation, ReportsASolveThatWrapped) {
    struct Row {
        const char* name;
        std::function<void(FilmModel&)> setup;
        int changed;
        bool wrapped;
    };
    const Row rows[] = {
        {"Initial", [](FilmModel&) {}, Size, false},
        // (128 + 1995) kBit/s for 2^60 seconds.
        {"SizeProduct", [](FilmModel& m) { m.SetDuration(int64_t{1} << 60); }, Video, true},
        // The size minus a negative header of about -5.8e18.
        {"Payload",
         [](FilmModel& m) {
             m.SetSize(kMax);
             m.SetParts(-(int64_t{1} << 49));
         },
         Audio, true},
    };
    for (const Row& r : rows) {
        FilmModel m;
        r.setup(m);
        EXPECT_EQ(RecalculateModel(m, r.changed, -1, false, kNoLocks, false).wrapped, r.wrapped)
            << r.name;
    }
}

TEST(Recalculation, DataAmountsFit) {
    FilmModel m;
    EXPECT_TRUE(DataAmountsFit(m));
    m.videoRate = kMax / 128;
    m.SetDuration(1);
    EXPECT_FALSE(DataAmountsFit(m));  // the rate sum times 128 no longer fits
    m.videoRate = 1;
    m.SetParts(kMax / 10256 + 1);  // the header wrapped
    EXPECT_FALSE(DataAmountsFit(m));
}

}  // namespace
