#include "encode/budget.h"

#include <algorithm>
#include <cmath>

namespace encode {

namespace {

int64_t Budget(const BudgetInputs& in) {
    return in.capacity * in.parts;
}

}  // namespace

int64_t CutReserve(const BudgetInputs& in) {
    if (in.parts <= 1 || in.seconds <= 0) return 0;
    const double perSecond = static_cast<double>(Budget(in)) / in.seconds;
    return static_cast<int64_t>(std::ceil(perSecond * in.gopSeconds)) * (in.parts - 1);
}

int64_t ContainerBytes(const BudgetInputs& in) {
    const double videoPackets = std::ceil(in.seconds * in.fps);
    return static_cast<int64_t>(std::ceil(videoPackets * in.cost.perVideoPacket +
                                          in.audioPackets * in.cost.perAudioPacket)) +
           in.cost.perFile * in.parts;
}

int64_t VideoBytesBeforeMeasuring(const BudgetInputs& in) {
    const auto margin =
        static_cast<int64_t>(std::ceil(in.margin * static_cast<double>(Budget(in))));
    return Budget(in) - in.audioBytes - ContainerBytes(in) - CutReserve(in) - margin;
}

int64_t BitsPerSecond(int64_t bytes, double seconds) {
    if (bytes <= 0 || seconds <= 0) return 0;
    return static_cast<int64_t>(std::floor(static_cast<double>(bytes) * 8 / seconds));
}

int64_t NextRate(const std::vector<RatePoint>& tried, int64_t videoBytes) {
    if (tried.empty()) return 0;
    const RatePoint& last = tried.back();
    const auto target = static_cast<double>(videoBytes);
    double rate = last.videoBytes > 0 ? static_cast<double>(last.rate) * target /
                                            static_cast<double>(last.videoBytes)
                                      : static_cast<double>(last.rate);
    if (tried.size() >= 2) {
        std::vector<RatePoint> near(tried);
        std::sort(near.begin(), near.end(), [&](const RatePoint& a, const RatePoint& b) {
            return std::abs(static_cast<double>(a.videoBytes) - target) <
                   std::abs(static_cast<double>(b.videoBytes) - target);
        });
        const RatePoint &a = near[0], &b = near[1];
        const auto dv = static_cast<double>(b.videoBytes - a.videoBytes);
        const auto dr = static_cast<double>(b.rate - a.rate);
        if (dv != 0 && dr != 0 && dv / dr > 0)
            rate = static_cast<double>(a.rate) +
                   (target - static_cast<double>(a.videoBytes)) * dr / dv;
    }
    const auto lastRate = static_cast<double>(last.rate);
    rate = std::clamp(rate, lastRate / 2, lastRate * 2);
    return std::max<int64_t>(1, static_cast<int64_t>(std::floor(rate)));
}

std::vector<int64_t> KeyFrameTimes(std::vector<SourceFrame> frames, int64_t parts,
                                   double gopSeconds, double shortestSeconds, double fps) {
    std::vector<int64_t> times;
    if (frames.empty() || parts < 1 || fps <= 0) return times;
    std::sort(frames.begin(), frames.end(), [](const SourceFrame& a, const SourceFrame& b) {
        return a.ptsMicroseconds < b.ptsMicroseconds;
    });
    int64_t total = 0;
    for (const SourceFrame& f : frames)
        total += f.bytes;
    const double seconds =
        static_cast<double>(frames.back().ptsMicroseconds - frames.front().ptsMicroseconds) / 1e6 +
        1 / fps;
    const double share = std::max(static_cast<double>(total) / static_cast<double>(parts) / 100,
                                  static_cast<double>(total) * gopSeconds / seconds);
    const auto shortest = static_cast<int64_t>(shortestSeconds * 1e6);
    const auto halfFrame = static_cast<int64_t>(5e5 / fps);
    int64_t last = frames.front().ptsMicroseconds;
    double since = 0;  // bytes since the last key frame
    for (const SourceFrame& f : frames) {
        if (since >= share && f.ptsMicroseconds - last >= shortest) {
            times.push_back(f.ptsMicroseconds - halfFrame);
            last = f.ptsMicroseconds;
            since = 0;
        }
        since += static_cast<double>(f.bytes);
    }
    return times;
}

CutPlan PlanCuts(const std::vector<CutPacket>& packets, int64_t capacity, int64_t parts,
                 const PartCost& cost, const std::vector<int64_t>& allowance) {
    CutPlan plan;
    const std::size_t n = packets.size();
    std::vector<int64_t> prefix(n + 1, 0);
    std::vector<std::size_t> keys;  // packet indices where a part may start
    for (std::size_t i = 0; i < n; ++i) {
        prefix[i + 1] = prefix[i] + packets[i].bytes;
        if (packets[i].keyFrame && i > 0) keys.push_back(i);
    }
    const auto bytes = [&](std::size_t from, std::size_t to) {
        return prefix[to] - prefix[from] +
               static_cast<int64_t>(std::ceil(cost.perPacket * static_cast<double>(to - from))) +
               cost.perPart;
    };
    const auto room = [&](int64_t part) {
        const auto k = static_cast<std::size_t>(part);
        return capacity - (k < allowance.size() ? allowance[k] : 0);
    };
    std::size_t start = 0;
    auto key = keys.begin();  // the first key frame after `start`
    plan.starts.push_back(0);
    for (int64_t part = 0; part + 1 < parts; ++part) {
        // Every later part needs a key frame of its own.
        const auto partsLeft = static_cast<std::size_t>(parts - 1 - part);
        if (static_cast<std::size_t>(keys.end() - key) < partsLeft) {
            plan.slack = -1;  // too few key frames: nothing to measure by
            return plan;
        }
        const auto last = keys.end() - static_cast<std::ptrdiff_t>(partsLeft);
        auto cut = key;
        if (bytes(start, *cut) > room(part)) {
            plan.slack = room(part) - bytes(start, *cut);
            return plan;
        }
        while (cut + 1 <= last && bytes(start, *(cut + 1)) <= room(part))
            ++cut;
        plan.predicted.push_back(bytes(start, *cut));
        start = *cut;
        plan.starts.push_back(start);
        key = cut + 1;
    }
    plan.predicted.push_back(bytes(start, n));
    plan.slack = room(parts - 1) - plan.predicted.back();
    plan.fits = plan.slack >= 0;
    return plan;
}

}  // namespace encode
