// Where the film is cut and at what rate a corrected second pass runs.
#include "encode/budget.h"

#include <gtest/gtest.h>

namespace {

using encode::CutPacket;

// Ten-byte packets; a key frame every `gop`.
std::vector<CutPacket> Packets(int count, int gop) {
    std::vector<CutPacket> p;
    for (int i = 0; i < count; ++i)
        p.push_back({10, i % gop == 0});
    return p;
}

TEST(PlanCuts, FillsEachPartToItsLastKeyFrameAndNeverOver) {
    struct Case {
        int packets, gop;
        int64_t capacity, parts, perPart;
        std::vector<int64_t> allowance;
        bool fits;
        std::vector<std::size_t> starts;
        int64_t slack;
    };
    const Case cases[] = {
        // 100 bytes a part hold 9 packets and a 10-byte header: cuts at 8, 16.
        {24, 4, 100, 3, 10, {}, true, {0, 8, 16}, 10},
        // The last part gets what the cuts left: 2 packets over.
        {28, 4, 100, 3, 10, {}, false, {0, 8, 16}, -30},
        // An allowance learned from a measured part moves its cut back.
        {20, 4, 100, 3, 10, {20, 0, 0}, true, {0, 4, 12}, 10},
        // A key-frame interval bigger than a part cannot be cut.
        {40, 20, 100, 2, 0, {}, false, {0}, -100},
        // Every part gets a key frame of its own, even with room to spare.
        {12, 4, 1000, 3, 0, {}, true, {0, 4, 8}, 960},
        // One part is the whole film.
        {30, 4, 400, 1, 0, {}, true, {0}, 100},
    };
    for (const Case& c : cases) {
        const encode::CutPlan plan = encode::PlanCuts(Packets(c.packets, c.gop), c.capacity,
                                                      c.parts, {0, c.perPart}, c.allowance);
        EXPECT_EQ(plan.fits, c.fits) << c.packets << " packets in " << c.parts;
        EXPECT_EQ(plan.starts, c.starts) << c.packets << " packets in " << c.parts;
        EXPECT_EQ(plan.slack, c.slack) << c.packets << " packets in " << c.parts;
        for (std::size_t k = 0; k + 1 < plan.predicted.size(); ++k)
            EXPECT_LE(plan.predicted[k],
                      c.capacity - (k < c.allowance.size() ? c.allowance[k] : 0));
    }
}

TEST(KeyFrameTimes, CloserWhereTheSourceIsDense) {
    // Ten seconds at 25 frames: 100 bytes a frame, then 400 from frame 125.
    std::vector<encode::SourceFrame> frames;
    for (int i = 0; i < 250; ++i)
        frames.push_back({i * 40'000, i < 125 ? 100 : 400});
    // An interval of one second at the mean rate is 6250 bytes: 63 frames,
    // then 16; half a frame (20 ms) before each.
    const auto at = [](std::vector<int64_t> frameNumbers) {
        for (int64_t& f : frameNumbers)
            f = f * 40'000 - 20'000;
        return frameNumbers;
    };
    EXPECT_EQ(encode::KeyFrameTimes(frames, 2, 1, 0.25, 25),
              at({63, 126, 142, 158, 174, 190, 206, 222, 238}));
    // Never closer than the shortest interval.
    EXPECT_EQ(encode::KeyFrameTimes(frames, 2, 1, 1, 25), at({63, 126, 151, 176, 201, 226}));
}

TEST(NextRate, ScalesFromOnePassAndInterpolatesBetweenTwo) {
    // One pass: in proportion.
    EXPECT_EQ(encode::NextRate({{1000, 2000}}, 1900), 950);
    // Two: on their line, not in proportion to the last (which overshot).
    EXPECT_EQ(encode::NextRate({{1000, 1200}, {800, 800}}, 1000), 900);
    // Never more than doubled or halved.
    EXPECT_EQ(encode::NextRate({{1000, 100}}, 1000), 2000);
    EXPECT_EQ(encode::NextRate({{1000, 1000}}, 10), 500);
}

}  // namespace
