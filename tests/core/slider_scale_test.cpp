#include "core/slider_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "core/film_model.h"

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

struct AudioCase {
    int64_t rate;
    int position;
};

void PrintTo(const AudioCase& c, std::ostream* os) {
    *os << c.rate << " -> " << c.position;
}

class AudioSliderPositionTest : public ::testing::TestWithParam<AudioCase> {};

TEST_P(AudioSliderPositionTest, Position) {
    EXPECT_EQ(AudioSliderPosition(GetParam().rate), GetParam().position) << GetParam().rate;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AudioSliderPositionTest,
    ::testing::Values(AudioCase{130, 14},                    // nearest is 128
                      AudioCase{144, 15},                    // tie between 128 and 160 goes up
                      AudioCase{143, 14}, AudioCase{17, 3},  // tie between 16 and 18
                      AudioCase{0, 0}, AudioCase{3, 0}, AudioCase{4, 0}, AudioCase{5, 0},
                      AudioCase{6, 1}, AudioCase{352, 20}, AudioCase{351, 19}, AudioCase{384, 20},
                      AudioCase{385, 20}, AudioCase{1000, 20}, AudioCase{kMax, 20},
                      AudioCase{-1, 0},
                      // Far below the lowest step: no wrap in the distances.
                      AudioCase{kMin, 0}, AudioCase{kMin + 1, 0}, AudioCase{kMin / 2 - 1, 0},
                      AudioCase{-(int64_t{1} << 62), 0}));

TEST(AudioSlider, EveryStepAndEveryMidpoint) {
    static_assert(kAudioSteps.size() == kAudioSliderRange.maximum + 1);
    for (int i = 0; i < static_cast<int>(kAudioSteps.size()); ++i) {
        EXPECT_EQ(AudioSliderPosition(kAudioSteps[i]), i);
        EXPECT_EQ(AudioRateAtPosition(i), kAudioSteps[i]);
        if (i == 0) continue;
        ASSERT_LT(kAudioSteps[i - 1], kAudioSteps[i]) << "steps must increase";
        const int64_t low = kAudioSteps[i - 1], high = kAudioSteps[i];
        // Just above the lower step stays there; the middle and above go up.
        if (high - low >= 2) {
            EXPECT_EQ(AudioSliderPosition(low + 1), high - low == 2 ? i : i - 1);
        }
        const int64_t twiceMid = low + high;
        if (twiceMid % 2 == 0) {
            EXPECT_EQ(AudioSliderPosition(twiceMid / 2), i) << "tie at " << twiceMid / 2;
            EXPECT_EQ(AudioSliderPosition(twiceMid / 2 - 1), i - 1);
        } else {
            EXPECT_EQ(AudioSliderPosition(twiceMid / 2), i - 1);
            EXPECT_EQ(AudioSliderPosition(twiceMid / 2 + 1), i);
        }
    }
}

TEST(AudioSlider, PositionsOutsideTheRangeGiveTheEndSteps) {
    EXPECT_EQ(AudioRateAtPosition(-1), 4);
    EXPECT_EQ(AudioRateAtPosition(21), 384);
    EXPECT_EQ(AudioRateAtPosition(std::numeric_limits<int>::min()), 4);
    EXPECT_EQ(AudioRateAtPosition(std::numeric_limits<int>::max()), 384);
}

struct LinearCase {
    int64_t value;
    int time, video;
};

void PrintTo(const LinearCase& c, std::ostream* os) {
    *os << c.value;
}

class LinearSliderTest : public ::testing::TestWithParam<LinearCase> {};

TEST_P(LinearSliderTest, Positions) {
    EXPECT_EQ(TimeSliderPosition(GetParam().value), GetParam().time) << GetParam().value;
    EXPECT_EQ(VideoSliderPosition(GetParam().value), GetParam().video) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinearSliderTest,
    ::testing::Values(LinearCase{5400, 5400, 5400}, LinearCase{1995, 1995, 1995},
                      LinearCase{7200, 7200, 6000}, LinearCase{9000, 7200, 6000},
                      LinearCase{8000, 7200, 6000}, LinearCase{6000, 6000, 6000},
                      LinearCase{1, 1, 1}, LinearCase{0, 1, 1}, LinearCase{-5, 1, 1},
                      // Not cut to 32 bits: 2^32 + 5 stays large.
                      LinearCase{(int64_t{1} << 32) + 5, 7200, 6000}, LinearCase{kMax, 7200, 6000},
                      LinearCase{kMin, 1, 1}));

struct SizeCase {
    const char* name;
    int64_t sizeBytes, headerBytes;
    int position;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.name;
}

class SizeSliderTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeSliderTest, Position) {
    const SizeCase& c = GetParam();
    const int p = SizeSliderPosition(c.sizeBytes, c.headerBytes);
    EXPECT_EQ(p, c.position);
    EXPECT_GE(p, kSizeSliderRange.minimum);
    EXPECT_LE(p, kSizeSliderRange.maximum);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SizeSliderTest,
    ::testing::Values(SizeCase{"Initial", 1468006400, 20512, 1433600},
                      SizeCase{"RoundsDown", 1468006400 + 1023, 20512, 1433600},
                      SizeCase{"ThreeGByte", 3LL << 30, 20512, 2097151},
                      SizeCase{"JustBelowTwoGByte", 2147482624, 0, 2097151},
                      SizeCase{"TwoGByte", 2147483648, 0, 2097151},
                      SizeCase{"BelowTwoHeaders", 10240, 20512, 20},
                      SizeCase{"AtHeader", 20512, 20512, 20},
                      // Only the low 32 bits of the kByte count are compared:
                      // 2^32 kByte + 5 kByte counts as 5 kByte.
                      SizeCase{"Low32Bits", ((int64_t{1} << 32) + 5) << 10, 0, 5},
                      // 2^31 kByte is negative in 32 bits, so below any header.
                      SizeCase{"Low32Negative", int64_t{1} << 41, 20512, 20},
                      // Values below the slider's minimum show at the minimum.
                      SizeCase{"ZeroSizeNoHeader", 0, 0, 1},
                      SizeCase{"SmallSizeNoHeader", 1023, 0, 1},
                      SizeCase{"NegativeSizeNegativeHeader", -1, -10256, 1},
                      SizeCase{"MostNegative", kMin, kMin, 1},
                      // A header beyond the slider shows at its maximum.
                      SizeCase{"HugeHeader", 1024, 999999999LL * 10256, 2097151},
                      SizeCase{"MostPositive", kMax, kMax, 2097151}),
    [](const ::testing::TestParamInfo<SizeCase>& p) { return std::string(p.param.name); });

TEST(SizeSlider, PositionToBytesAndBack) {
    EXPECT_EQ(SizeBytesAtPosition(1433600), 1468006400);  // 1400 MByte
    for (const int p : {kSizeSliderRange.minimum, 20, 1433600, kSizeSliderRange.maximum}) {
        const int64_t bytes = SizeBytesAtPosition(p);
        EXPECT_LE(bytes, std::numeric_limits<int32_t>::max());
        EXPECT_EQ(SizeSliderPosition(bytes, 0), p);
    }
}

TEST(CdSizes, AreWholeMegabytes) {
    const int64_t megabytes[] = {650, 700, 800};
    ASSERT_EQ(kCdSizes.size(), std::size(megabytes));
    for (std::size_t i = 0; i < kCdSizes.size(); ++i) {
        EXPECT_EQ(kCdSizes[i], megabytes[i] * 1048576);
    }
}

}  // namespace
