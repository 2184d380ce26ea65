#include "core/film_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

// Every field, so that "nothing changed" can be checked as a whole.
std::vector<int64_t> Fields(const FilmModel& m) {
    return {m.sizeBytes,    m.sizeKB,       m.sizeMB,       m.sizeGB,        m.audioRate,
            m.videoRate,    m.parts,        m.headerBytes,  m.hours,         m.minutes,
            m.seconds,      m.totalSeconds, m.totalMinutes, m.autoRange,     m.autoCalculate,
            m.audioEnabled, m.saveOnExit,   m.statusShown,  m.tooltipsShown, m.timeShown,
            m.audioShown,   m.videoShown,   m.sizeShown};
}

// The derived fields must always follow their quantity.
void ExpectConsistent(const FilmModel& m) {
    EXPECT_EQ(m.sizeKB, m.sizeBytes >> 10);
    EXPECT_EQ(m.sizeMB, m.sizeBytes >> 20);
    EXPECT_EQ(m.sizeGB, m.sizeBytes >> 30);
    EXPECT_EQ(m.totalMinutes, m.totalSeconds / 60);
    EXPECT_EQ(m.seconds, m.totalSeconds % 60);
    EXPECT_EQ(m.minutes, m.totalMinutes % 60);
    EXPECT_EQ(m.hours, m.totalMinutes / 60);
}

TEST(FilmModel, InitialValues) {
    const FilmModel m;
    struct Row {
        const char* name;
        int64_t actual, expected;
    };
    const Row rows[] = {
        {"sizeBytes", m.sizeBytes, 1468006400},
        {"sizeKB", m.sizeKB, 1433600},
        {"sizeMB", m.sizeMB, 1400},
        {"sizeGB", m.sizeGB, 1},
        {"audioRate", m.audioRate, 128},
        {"videoRate", m.videoRate, 1995},
        {"parts", m.parts, 2},
        {"headerBytes", m.headerBytes, 20512},
        {"hours", m.hours, 1},
        // 5400 seconds are 1:30:00; the minutes field follows the duration.
        {"minutes", m.minutes, 30},
        {"seconds", m.seconds, 0},
        {"totalSeconds", m.totalSeconds, 5400},
        {"totalMinutes", m.totalMinutes, 90},
        {"autoRange", m.autoRange, 1},
        {"autoCalculate", m.autoCalculate, 1},
        {"audioEnabled", m.audioEnabled, 1},
        {"saveOnExit", m.saveOnExit, 0},
        {"statusShown", m.statusShown, 1},
        {"tooltipsShown", m.tooltipsShown, 1},
        {"timeShown", m.timeShown, 1},
        {"audioShown", m.audioShown, 1},
        {"videoShown", m.videoShown, 1},
        {"sizeShown", m.sizeShown, 1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.actual, r.expected) << r.name;
    ExpectConsistent(m);
    EXPECT_EQ(m.AudioBytes(), 88473600);
    EXPECT_EQ(m.VideoBytes(), 1378944000);
    EXPECT_EQ(m.TotalBytes(), 1467438112);
    EXPECT_EQ(m.Validity(), kStateChecked);
}

TEST(FilmModel, ResetRestoresEveryField) {
    FilmModel m;
    const auto initial = Fields(m);
    m.SetSize(-5);
    m.SetParts(0);
    m.SetDuration(-61);
    m.audioRate = m.videoRate = 0;
    m.autoRange = m.autoCalculate = m.audioEnabled = 0;
    m.saveOnExit = 1;
    m.statusShown = m.tooltipsShown = m.timeShown = m.audioShown = m.videoShown = m.sizeShown = 0;
    m.Reset();
    EXPECT_EQ(Fields(m), initial);
}

TEST(FilmModel, SetDuration) {
    struct Row {
        int64_t t, hours, minutes, seconds, totalMinutes;
    };
    const Row rows[] = {
        {3661, 1, 1, 1, 61},
        {-61, 0, -1, -1, -1},  // truncation toward zero, remainder keeps the sign
        {0, 0, 0, 0, 0},
        {59, 0, 0, 59, 0},
        {9000, 2, 30, 0, 150},
        {kMax, kMax / 3600, (kMax / 60) % 60, kMax % 60, kMax / 60},
        {kMin, kMin / 3600, (kMin / 60) % 60, kMin % 60, kMin / 60},
    };
    for (const Row& r : rows) {
        FilmModel m;
        m.SetDuration(r.t);
        EXPECT_EQ(m.totalSeconds, r.t);
        EXPECT_EQ(m.hours, r.hours) << r.t;
        EXPECT_EQ(m.minutes, r.minutes) << r.t;
        EXPECT_EQ(m.seconds, r.seconds) << r.t;
        EXPECT_EQ(m.totalMinutes, r.totalMinutes) << r.t;
    }
}

TEST(FilmModel, SetSize) {
    struct Row {
        int64_t b, kb, mb, gb;
    };
    const Row rows[] = {
        {2147483647, 2097151, 2047, 1},
        {1536LL << 20, 1536LL << 10, 1536, 1},  // not rounded up
        {-1, -1, -1, -1},                       // arithmetic shifts round down
        {0, 0, 0, 0},
        {kMin, kMin / 1024, kMin / 1048576, kMin / 1073741824},
    };
    for (const Row& r : rows) {
        FilmModel m;
        m.SetSize(r.b);
        EXPECT_EQ(m.sizeBytes, r.b);
        EXPECT_EQ(m.sizeKB, r.kb) << r.b;
        EXPECT_EQ(m.sizeMB, r.mb) << r.b;
        EXPECT_EQ(m.sizeGB, r.gb) << r.b;
    }
}

TEST(FilmModel, SetPartsSetsHeaderPerPart) {
    struct Row {
        int64_t parts, header;
    };
    const Row rows[] = {{0, 0},
                        {1, 10256},
                        {2, 20512},
                        {-1, -10256},
                        {999999999, 999999999LL * 10256},
                        // 2^62 * 10256 wraps to 0 (10256 = 2^4 * 641).
                        {int64_t{1} << 62, 0}};
    for (const Row& r : rows) {
        FilmModel m;
        m.SetParts(r.parts);
        EXPECT_EQ(m.parts, r.parts);
        EXPECT_EQ(m.headerBytes, r.header) << r.parts;
    }
}

struct SolveCase {
    const char* name;
    std::function<void(FilmModel&)> setup;
    int which;
    int64_t expected;
};

void PrintTo(const SolveCase& c, std::ostream* os) {
    *os << c.name;
}

class FilmModelSolve : public ::testing::TestWithParam<SolveCase> {};

TEST_P(FilmModelSolve, ResultAndStoredValue) {
    const SolveCase& c = GetParam();
    FilmModel m;
    c.setup(m);
    const int64_t result = m.Solve(c.which);
    EXPECT_EQ(result, c.expected);
    switch (c.which) {
        case Time:
            EXPECT_EQ(m.totalSeconds, c.expected);
            break;
        case Audio:
            EXPECT_EQ(m.audioRate, c.expected);
            break;
        case Video:
            EXPECT_EQ(m.videoRate, c.expected);
            break;
        case Size:
            EXPECT_EQ(m.sizeBytes, c.expected);
            break;
        default:
            break;
    }
    ExpectConsistent(m);
}

void Initial(FilmModel&) {}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilmModelSolve,
    ::testing::Values(
        // P = (1468006400 - 20512) >> 7 = 11468639.
        SolveCase{"InitialTime", Initial, Time, 5402},
        SolveCase{"InitialAudio", Initial, Audio, 128},
        SolveCase{"InitialVideo", Initial, Video, 1995},
        SolveCase{"InitialSize", Initial, Size, 1467438112},
        // Size equal to the header: P = 0.
        SolveCase{"SizeAtHeaderTime", [](FilmModel& m) { m.SetSize(m.headerBytes); }, Time, 0},
        SolveCase{"SizeAtHeaderVideo", [](FilmModel& m) { m.SetSize(m.headerBytes); }, Video, -128},
        SolveCase{"SizeAtHeaderAudio", [](FilmModel& m) { m.SetSize(m.headerBytes); }, Audio,
                  -1995},
        // 127 bytes above the header is still P = 0, 128 bytes is P = 1.
        SolveCase{"Payload127",
                  [](FilmModel& m) {
                      m.SetSize(m.headerBytes + 127);
                      m.SetDuration(1);
                      m.audioRate = 0;
                  },
                  Video, 0},
        SolveCase{"Payload128",
                  [](FilmModel& m) {
                      m.SetSize(m.headerBytes + 128);
                      m.SetDuration(1);
                      m.audioRate = 0;
                  },
                  Video, 1},
        // One byte below the header: P = -1.
        SolveCase{"BelowHeaderTime", [](FilmModel& m) { m.SetSize(m.headerBytes - 1); }, Time,
                  0},  // -1 / 2123 truncates toward zero
        SolveCase{"BelowHeaderVideo", [](FilmModel& m) { m.SetSize(m.headerBytes - 1); }, Video,
                  -128},  // -1 / 5400 = 0, minus the audio rate
        // Both rates 0: the time solve divides by 1 and gives P.
        SolveCase{"ZeroRateSum",
                  [](FilmModel& m) {
                      m.audioRate = 0;
                      m.videoRate = 0;
                  },
                  Time, 11468639},
        // Rates that cancel out are a zero sum as well.
        SolveCase{"CancellingRates",
                  [](FilmModel& m) {
                      m.audioRate = 5;
                      m.videoRate = -5;
                  },
                  Time, 11468639},
        // Duration 0: the bitrate solves divide by 1.
        SolveCase{"ZeroDurationVideo", [](FilmModel& m) { m.SetDuration(0); }, Video,
                  11468639 - 128},
        SolveCase{"ZeroDurationAudio", [](FilmModel& m) { m.SetDuration(0); }, Audio,
                  11468639 - 1995},
        // Negative duration: still a signed division.
        SolveCase{"NegativeDurationVideo", [](FilmModel& m) { m.SetDuration(-1); }, Video,
                  -11468639 - 128},
        // A quotient of 2^31 keeps only its low 32 bits.
        SolveCase{"TimeLow32Bits",
                  [](FilmModel& m) {
                      m.SetParts(1);
                      m.SetSize(10256 + (int64_t{1} << 38));
                      m.audioRate = 0;
                      m.videoRate = 1;
                  },
                  Time, -(int64_t{1} << 31)},
        SolveCase{"TimeLow32BitsPlusOne",
                  [](FilmModel& m) {
                      m.SetParts(0);
                      m.SetSize((int64_t{1} << 39) + 128);  // P = 2^32 + 1
                      m.audioRate = 0;
                      m.videoRate = 1;
                  },
                  Time, 1},
        // The deepest payload the size allows, divided by a negative duration.
        SolveCase{"NegativeDurationDeepPayload",
                  [](FilmModel& m) {
                      m.SetParts(0);
                      m.SetSize(kMin);
                      m.SetDuration(-1);
                      m.audioRate = 0;
                  },
                  Video, (kMin >> 7) * -1},
        // The size solve wraps silently.
        SolveCase{"SizeWraps",
                  [](FilmModel& m) {
                      m.audioRate = kMax;
                      m.videoRate = 1;
                      m.SetDuration(1);
                      m.SetParts(0);
                  },
                  Size, 0}  // (2^63) * 128 = 2^70 wraps to 0
        ),
    [](const ::testing::TestParamInfo<SolveCase>& p) { return std::string(p.param.name); });

TEST(FilmModel, SolveOfUnknownQuantityChangesNothing) {
    for (const int which : {-1, 4, 100, std::numeric_limits<int>::min()}) {
        FilmModel m;
        m.SetDuration(-7);  // away from the initial values, so a reset would show
        const auto before = Fields(m);
        EXPECT_EQ(m.Solve(which), -1) << which;
        EXPECT_EQ(Fields(m), before) << which;
    }
}

// After a size solve the amounts add up exactly; after a duration or bitrate
// solve what the film takes never exceeds the given size.
TEST(FilmModel, SolvedAmountsFitTheSize) {
    struct Row {
        int64_t size, parts, seconds, audio, video;
    };
    const Row rows[] = {
        {1468006400, 2, 5400, 128, 1995},   {734003200, 1, 6000, 96, 800},
        {681574400LL * 3, 3, 7199, 384, 1}, {838860800, 1, 1, 4, 6000},
        {2147482624, 7, 123457, 56, 3},
    };
    for (const Row& r : rows) {
        FilmModel base;
        base.SetSize(r.size);
        base.SetParts(r.parts);
        base.SetDuration(r.seconds);
        base.audioRate = r.audio;
        base.videoRate = r.video;

        FilmModel m = base;
        m.Solve(Size);
        EXPECT_EQ(m.AudioBytes() + m.VideoBytes() + m.headerBytes, m.sizeBytes);
        EXPECT_EQ(m.TotalBytes(), m.sizeBytes);

        for (const int which : {Time, Audio, Video}) {
            m = base;
            m.Solve(which);
            EXPECT_LE(m.TotalBytes(), r.size) << "quantity " << which << " size " << r.size;
            // ... and it is the largest such value: one step more would not fit.
            FilmModel more = m;
            if (which == Time) more.SetDuration(m.totalSeconds + 1);
            if (which == Audio) ++more.audioRate;
            if (which == Video) ++more.videoRate;
            EXPECT_GT(more.TotalBytes(), r.size) << "quantity " << which << " size " << r.size;
        }
    }
}

TEST(FilmModel, ExtremeValuesWrapWithoutTrapping) {
    // Runs every operation on the extremes; the sanitizer build turns any
    // signed overflow or division fault into a failure.
    const int64_t extremes[] = {kMin, kMin + 1, -1, 0, 1, kMax};
    for (const int64_t a : extremes) {
        for (const int64_t b : extremes) {
            for (int which = Time; which <= Size; ++which) {
                FilmModel m;
                m.SetSize(a);
                m.SetParts(b);
                m.SetDuration(b);
                m.audioRate = a;
                m.videoRate = b;
                m.Solve(which);
                ExpectConsistent(m);
                (void)m.TotalBytes();
                (void)m.AudioBytes();
                (void)m.VideoBytes();
                m.ClampAll();
                EXPECT_GE(m.audioRate, 4);
                EXPECT_LE(m.audioRate, 384);
            }
        }
    }
}

TEST(FilmModel, ClampAll) {
    struct Row {
        const char* name;
        std::function<void(FilmModel&)> setup;
        int64_t size, audio, video, seconds, parts;
    };
    const Row rows[] = {
        {"InRangeUntouched", Initial, 1468006400, 128, 1995, 5400, 2},
        {"SizeBelowHeader", [](FilmModel& m) { m.SetSize(5); }, 20512, 128, 1995, 5400, 2},
        {"AudioAbove", [](FilmModel& m) { m.audioRate = 385; }, 1468006400, 384, 1995, 5400, 2},
        {"AudioBelow", [](FilmModel& m) { m.audioRate = 3; }, 1468006400, 4, 1995, 5400, 2},
        // The audio limit ignores the "Aus" box.
        {"AudioOffZero",
         [](FilmModel& m) {
             m.audioEnabled = 0;
             m.audioRate = 0;
         },
         1468006400, 4, 1995, 5400, 2},
        {"VideoBelow", [](FilmModel& m) { m.videoRate = -3; }, 1468006400, 128, 1, 5400, 2},
        {"DurationBelow", [](FilmModel& m) { m.SetDuration(0); }, 1468006400, 128, 1995, 1, 2},
        // parts is not clamped; the size follows the (negative) header.
        {"PartsUntouched",
         [](FilmModel& m) {
             m.SetParts(-1);
             m.SetSize(-20000);
         },
         -10256, 128, 1995, 5400, -1},
    };
    for (const Row& r : rows) {
        FilmModel m;
        r.setup(m);
        m.ClampAll();
        EXPECT_EQ(m.sizeBytes, r.size) << r.name;
        EXPECT_EQ(m.audioRate, r.audio) << r.name;
        EXPECT_EQ(m.videoRate, r.video) << r.name;
        EXPECT_EQ(m.totalSeconds, r.seconds) << r.name;
        EXPECT_EQ(m.parts, r.parts) << r.name;
        ExpectConsistent(m);
    }
}

TEST(FilmModel, Validity) {
    struct Row {
        const char* name;
        std::function<void(FilmModel&)> setup;
        int expected;
    };
    auto audio = [](int32_t enabled, int64_t rate) {
        return [=](FilmModel& m) {
            m.audioEnabled = enabled;
            m.audioRate = rate;
        };
    };
    const Row rows[] = {
        {"Initial", Initial, kStateChecked},
        {"AutoCalculateOff", [](FilmModel& m) { m.autoCalculate = 0; }, kStateUnchecked},
        {"DurationZero", [](FilmModel& m) { m.SetDuration(0); }, kStateFaulty},
        {"DurationOne", [](FilmModel& m) { m.SetDuration(1); }, kStateChecked},
        {"VideoZero", [](FilmModel& m) { m.videoRate = 0; }, kStateFaulty},
        {"VideoOne", [](FilmModel& m) { m.videoRate = 1; }, kStateChecked},
        {"AudioOffZero", audio(0, 0), kStateChecked},
        {"AudioOffMinusOne", audio(0, -1), kStateFaulty},
        {"AudioOnThree", audio(1, 3), kStateFaulty},
        {"AudioOnFour", audio(1, 4), kStateChecked},
        {"AudioOn384", audio(1, 384), kStateChecked},
        {"AudioOn385", audio(1, 385), kStateFaulty},
        {"AudioOff385", audio(0, 385), kStateFaulty},
        {"SizeAtHeader", [](FilmModel& m) { m.SetSize(m.headerBytes); }, kStateChecked},
        {"SizeBelowHeader", [](FilmModel& m) { m.SetSize(m.headerBytes - 1); }, kStateFaulty},
        {"PartsZero", [](FilmModel& m) { m.SetParts(0); }, kStateFaulty},
        // A fault wins over "unchecked".
        {"FaultyWithoutAutoCalculate",
         [](FilmModel& m) {
             m.autoCalculate = 0;
             m.videoRate = 0;
         },
         kStateFaulty},
    };
    for (const Row& r : rows) {
        FilmModel m;
        r.setup(m);
        EXPECT_EQ(m.Validity(), r.expected) << r.name;
    }
}

TEST(FilmModel, ClampAllMakesAnyModelWithPartsValid) {
    const int64_t values[] = {kMin, -385, -1, 0, 3, 385, kMax};
    for (const int64_t v : values) {
        FilmModel m;
        m.SetSize(v);
        m.SetDuration(v);
        m.audioRate = v;
        m.videoRate = v;
        m.ClampAll();
        EXPECT_EQ(m.Validity(), kStateChecked) << v;
    }
}

}  // namespace
