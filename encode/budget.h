// The arithmetic of fitting a film into its parts: the bytes the video may
// take before anything is measured, the rate for them, the rate of a
// corrected second pass, and where to cut an encoded film so that every part
// fits. Pure functions over numbers and packet lists; nothing is run or read.
#pragma once

#include <cstdint>
#include <vector>

#include "encode/codec_settings.h"

namespace encode {

struct BudgetInputs {
    int64_t capacity = 0;  // of one part
    int64_t parts = 1;
    double seconds = 0;  // the film's exact duration
    double fps = 0;
    int64_t audioBytes = 0;  // the audio's packets, measured or estimated
    double audioPackets = 0;
    ContainerCost cost;
    double gopSeconds = 0;  // the key-frame interval when there are cuts
    double margin = 0;      // the share of the budget kept back for the encoder's error
};

// What one cut may leave unused: the bytes of one key-frame interval, of
// every stream. Reserved once per cut.
int64_t CutReserve(const BudgetInputs& in);

// The video's bytes for the first second pass: the budget less the audio,
// the container's cost, the reserve for the cuts and the margin. Can be 0 or
// below when nothing is left.
int64_t VideoBytesBeforeMeasuring(const BudgetInputs& in);

// The container's cost of a whole film of `parts` files, as estimated.
int64_t ContainerBytes(const BudgetInputs& in);

// Bits per second that make `bytes` in `seconds`, rounded down.
int64_t BitsPerSecond(int64_t bytes, double seconds);

// A second pass's rate and the video bytes it made.
struct RatePoint {
    int64_t rate = 0;
    int64_t videoBytes = 0;
};

// The rate for the next second pass to make `videoBytes`: on the line
// through the two passes nearest to it, or, from one pass (or where the
// line falls), in proportion to the last. The encoders' output grows with
// the rate but not always in proportion (VP9 with short key-frame intervals
// overshoots more at higher rates). At most doubled or halved.
int64_t NextRate(const std::vector<RatePoint>& tried, int64_t videoBytes);

// A video packet of the source: when it is shown and its bytes.
struct SourceFrame {
    int64_t ptsMicroseconds = 0;
    int64_t bytes = 0;
};

// Where to force key frames so that no key-frame interval holds much more
// than a hundredth of a part, judged by the source's own bytes: a dense
// stretch of a film (action, detail) is dense in its source too, and there
// an interval of a hundredth of the part's duration would hold far more than
// a hundredth of its bytes, all of which a cut there may waste. A new
// interval begins once the source's bytes of an interval of `gopSeconds` at
// its mean rate (and at least a hundredth of a part's share) have passed,
// but not within `shortestSeconds`; the encoder keeps its own interval of
// `gopSeconds` besides. The times are on the frames' time line, half a
// frame before their frame.
std::vector<int64_t> KeyFrameTimes(std::vector<SourceFrame> frames, int64_t parts,
                                   double gopSeconds, double shortestSeconds, double fps);

// One packet of the encoded film, in the order the cut sees them (by
// decoding time, streams interleaved).
struct CutPacket {
    int64_t bytes = 0;
    bool keyFrame = false;  // a video key frame: a part may start here
};

// What each part adds beyond its packets: per packet and per file.
struct PartCost {
    double perPacket = 0;
    int64_t perPart = 0;
};

struct CutPlan {
    bool fits = false;
    std::vector<std::size_t> starts;  // the first packet of each part; starts[0] is 0
    std::vector<int64_t> predicted;   // each part's bytes, as estimated
    // The last part's room left (below zero: how far it is over), or how far
    // the first part that cannot be cut is over.
    int64_t slack = 0;
};

// Fills the parts in order, each up to its capacity less its `allowance`
// (bytes learned from a cut that came out bigger than estimated), cutting at
// the last key frame that keeps it within; the last part takes the rest.
// Filling the first parts as far as they go leaves the least to the last, so
// when this does not fit, no choice of cuts does. Every part gets at least
// one key frame of its own.
CutPlan PlanCuts(const std::vector<CutPacket>& packets, int64_t capacity, int64_t parts,
                 const PartCost& cost, const std::vector<int64_t>& allowance);

}  // namespace encode
