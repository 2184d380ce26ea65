#include "encode/encode_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>

#include "encode/budget.h"
#include "encode/child_process.h"
#include "encode/job_files.h"
#include "encode/job_plan.h"
#include "encode/progress_meter.h"
#include "media/stream_scan.h"

namespace encode {

namespace {

constexpr int kMostSecondPasses = 3;
// Space left unused beyond this share of the budget is worth another pass.
constexpr double kUnusedWorthAPass = 0.02;
// Measuring a cut that came out over moves it back; this often at most.
constexpr int kCutTries = 4;

// The expected cost of each step against the others: the first pass
// (with the sound) cheaper than the second, VP9's much cheaper; a cut only
// copies.
double FirstPassWeight(VideoCodec codec) {
    return codec == VideoCodec::VP9 ? 0.15 : codec == VideoCodec::H265 ? 0.4 : 0.35;
}
constexpr double kSecondPassWeight = 0.6;
constexpr double kCutWeight = 0.02;

int64_t FileBytes(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

// One encoded film in the work folder, measured.
struct Candidate {
    std::string file;
    int64_t rate = 0;
    int64_t fileBytes = 0;
    int64_t totalBytes = 0;  // of the parts
    int64_t videoBytes = 0;
    std::vector<CutPacket> packets;  // by decoding time
    std::vector<int64_t> keyTimes;   // per packet: where a cut before it falls; -1 if none
    PartCost cost;
    CutPlan cuts;
};

class Runner {
public:
    Runner(const JobPlan& plan, const std::atomic<bool>& stop,
           const EncodeJob::ProgressFn& progress)
        : m_plan(plan), m_stop(stop), m_meter(progress, ProgressMeter::Clock::now()) {}

    Outcome Run();

private:
    bool Fail(Failure failure, std::string message);
    bool RunStep(const std::vector<std::string>& args, const char* what);
    bool MeasureAudio(const std::string& file);
    bool Measure(Candidate& c);
    // Cuts `c` and measures the parts; false with the last part's slack
    // in `slack` when they cannot be made to fit.
    bool CutAndMeasure(Candidate& c, std::vector<std::string>* parts, int64_t* slack);
    bool Finish(Candidate& c, int64_t* slack);

    JobPlan m_plan;  // its audio estimate is replaced by the measured bytes
    const std::atomic<bool>& m_stop;
    ProgressMeter m_meter;
    WorkFolder m_work;
    Outcome m_outcome;
};

bool Runner::Fail(Failure failure, std::string message) {
    if (m_outcome.failure == Failure::None) {
        m_outcome.failure = m_stop.load() ? Failure::Cancelled : failure;
        m_outcome.message = m_stop.load() ? "cancelled" : std::move(message);
    }
    return false;
}

bool Runner::RunStep(const std::vector<std::string>& args, const char* what) {
    if (m_stop.load()) return Fail(Failure::Cancelled, "cancelled");
    double fps = 0, frames = 0, share = 0;
    const double total = static_cast<double>(m_plan.durationMicroseconds);
    const double expectedFrames = m_plan.Seconds() * m_plan.fps;
    const auto started = ProgressMeter::Clock::now();
    const ChildResult r = RunChild(args[0], args, m_stop, [&](std::string_view line) {
        const auto number = [&](std::size_t from) {
            return std::atof(std::string(line.substr(from)).c_str());
        };
        // The share of the film done: by its time, or by its frames where
        // nothing is written (VP9's first pass).
        if (line.starts_with("frame=")) {
            frames = number(6);
            share = std::max(share, expectedFrames > 0 ? frames / expectedFrames : 0);
        } else if (line.starts_with("out_time_us=") && total > 0) {
            share = std::max(share, number(12) / total);
        } else if (line.starts_with("progress=")) {
            // ffmpeg 5.1 reports fps=0.00 here: the frames over the step's time.
            const double seconds =
                std::chrono::duration<double>(ProgressMeter::Clock::now() - started).count();
            fps = seconds > 0.5 ? frames / seconds : 0;
            m_meter.Update(share, fps);
        }
    });
    if (r.Succeeded()) {
        m_meter.Update(1, fps);
        return true;
    }
    if (r.stopped) return Fail(Failure::Cancelled, "cancelled");
    if (r.startErrno != 0)
        return Fail(r.startErrno == ENOENT ? Failure::FfmpegMissing : Failure::FfmpegFailed,
                    m_plan.ffmpeg + " could not be started: " + std::strerror(r.startErrno));
    for (const std::string& line : r.errorTail)
        m_outcome.details += line + "\n";
    // ffmpeg words the system's errors in English whatever our locale.
    const auto told = [&](const char* text) {
        return m_outcome.details.find(text) != std::string::npos;
    };
    const std::string how = r.exited ? "ended with status " + std::to_string(r.exitStatus)
                                     : "was ended by signal " + std::to_string(r.signal);
    if (told("No space left on device") || told("Disk quota exceeded") ||
        FreeBytes(FolderOf(m_plan.spec.output)) == 0)
        return Fail(Failure::DiskFull, std::string("the disk is full (") + what + ")");
    if (told("Permission denied") || told("Read-only file system"))
        return Fail(Failure::NotWritable,
                    std::string("cannot write beside the output (") + what + ")");
    return Fail(Failure::FfmpegFailed, "ffmpeg failed " + std::string(what) + ": it " + how);
}

bool Runner::MeasureAudio(const std::string& file) {
    const media::PacketList audio = media::ScanPackets(file, m_stop);
    if (!audio.ok) return Fail(Failure::FfmpegFailed, "the encoded audio cannot be read back");
    int64_t bytes = 0;
    for (const media::PacketFacts& p : audio.packets)
        bytes += p.bytes;
    m_outcome.withAudio = true;
    // From here on the audio's bytes are known exactly.
    m_plan.budget.audioBytes = bytes;
    m_plan.budget.audioPackets = static_cast<double>(audio.packets.size());
    return true;
}

bool Runner::Measure(Candidate& c) {
    c.fileBytes = FileBytes(c.file);
    media::PacketList list = media::ScanPackets(c.file, m_stop);
    if (!list.ok || c.fileBytes < 0)
        return Fail(Failure::FfmpegFailed, "the encoded film cannot be read back");
    std::vector<media::PacketFacts> packets = std::move(list.packets);
    // The cut sees them as ffmpeg interleaves them: by decoding time. MP4
    // stores its packets in runs of a stream, with every decoding time;
    // Matroska tells none for video, but ffmpeg stored them in that order.
    const bool timed = std::none_of(packets.begin(), packets.end(),
                                    [](const auto& p) { return p.dtsMicroseconds == INT64_MIN; });
    if (timed) {
        std::stable_sort(packets.begin(), packets.end(), [](const auto& a, const auto& b) {
            return a.dtsMicroseconds < b.dtsMicroseconds;
        });
    }
    int videoIndex = -1;
    for (const media::StreamFacts& s : list.streams) {
        if (s.kind == media::StreamKind::Video && videoIndex < 0) videoIndex = s.index;
    }
    const int64_t halfFrame = static_cast<int64_t>(5e5 / m_plan.fps);
    int64_t payload = 0;
    c.videoBytes = 0;
    c.packets.clear();
    c.keyTimes.clear();
    for (const media::PacketFacts& p : packets) {
        const bool video = p.stream == videoIndex;
        const bool key = video && p.key && p.ptsMicroseconds != INT64_MIN &&
                         p.ptsMicroseconds > list.startMicroseconds + halfFrame;
        payload += p.bytes;
        if (video) c.videoBytes += p.bytes;
        c.packets.push_back({p.bytes, key});
        // Half a frame before the key frame: the segment muxer cuts at the
        // first key frame at or after the time it is given.
        c.keyTimes.push_back(key ? p.ptsMicroseconds - list.startMicroseconds - halfFrame : -1);
    }
    // What the container added to this film, spread over its packets; each
    // part also repeats the headers.
    c.cost.perPart = m_plan.budget.cost.perFile;
    const int64_t added = std::max<int64_t>(0, c.fileBytes - payload - c.cost.perPart);
    c.cost.perPacket =
        packets.empty() ? 0 : static_cast<double>(added) / static_cast<double>(packets.size());
    return true;
}

bool Runner::CutAndMeasure(Candidate& c, std::vector<std::string>* parts, int64_t* slack) {
    const int64_t count = m_plan.budget.parts, capacity = m_plan.budget.capacity;
    std::vector<int64_t> allowance(static_cast<std::size_t>(count), 0);
    for (int attempt = 0; attempt < kCutTries; ++attempt) {
        c.cuts = PlanCuts(c.packets, capacity, count, c.cost, allowance);
        *slack = c.cuts.slack;
        if (!c.cuts.fits) return false;
        std::vector<int64_t> times;
        for (std::size_t k = 1; k < c.cuts.starts.size(); ++k)
            times.push_back(c.keyTimes[c.cuts.starts[k]]);
        parts->clear();
        for (int64_t k = 1; k <= count + 1; ++k)
            unlink(PartFile(m_plan, m_work.Path(), k).c_str());
        m_meter.Begin(Step::Cut);
        if (!RunStep(CutCommand(m_plan, m_work.Path(), c.file, times), "cutting the film"))
            return false;
        bool over = false;
        for (int64_t k = 1; k <= count; ++k) {
            const auto i = static_cast<std::size_t>(k - 1);
            parts->push_back(PartFile(m_plan, m_work.Path(), k));
            const int64_t bytes = FileBytes(parts->back());
            if (bytes < 0)
                return Fail(Failure::FfmpegFailed, "the cut made fewer parts than planned");
            if (bytes > capacity) {
                // The estimate was short by this much: the part gives up
                // that much more, which moves its cut back.
                allowance[i] += std::max<int64_t>(bytes - c.cuts.predicted[i], 0) + 1;
                *slack = std::min(*slack, capacity - bytes);
                over = true;
            }
        }
        if (FileBytes(PartFile(m_plan, m_work.Path(), count + 1)) >= 0)
            return Fail(Failure::FfmpegFailed, "the cut made more parts than planned");
        if (!over) return true;
    }
    return false;
}

// Gives the finished film its names; false with the slack when it does not
// fit after all (a cut came out over).
bool Runner::Finish(Candidate& c, int64_t* slack) {
    std::vector<std::string> files = {c.file};
    if (m_plan.budget.parts > 1 && !CutAndMeasure(c, &files, slack)) return false;
    if (m_outcome.failure != Failure::None) return false;
    std::vector<OutputFile> measured;
    for (std::size_t k = 0; k < files.size(); ++k)
        measured.push_back({m_plan.outputs[k], FileBytes(files[k]), m_plan.budget.capacity});
    std::string clash;
    const int error = PutInPlace(files, m_plan.outputs, m_plan.spec.force, &clash);
    if (error == EEXIST) {
        m_outcome.existing = {clash};
        return Fail(Failure::OutputExists, clash + ": appeared while encoding");
    }
    if (error != 0)
        return Fail(error == ENOSPC || error == EDQUOT ? Failure::DiskFull : Failure::NotWritable,
                    m_plan.outputs.front() + ": " + std::strerror(error));
    m_outcome.files = measured;
    m_outcome.videoKbit = c.rate / 1024;
    return true;
}

Outcome Runner::Run() {
    m_outcome.leftOut = m_plan.leftOut;
    if (const int e = m_work.Create(m_plan.spec.output); e != 0) {
        Fail(e == ENOSPC || e == EDQUOT ? Failure::DiskFull : Failure::NotWritable,
             FolderOf(m_plan.spec.output) + ": " + std::strerror(e));
        return m_outcome;
    }
    // The steps still ahead: from the first pass on, or from a second.
    const auto planSteps = [&](bool firstPass) {
        std::deque<std::pair<Step, double>> steps;
        if (firstPass) steps.emplace_back(Step::Pass1, FirstPassWeight(m_plan.spec.video));
        steps.emplace_back(Step::Pass2, kSecondPassWeight);
        if (m_plan.budget.parts > 1) steps.emplace_back(Step::Cut, kCutWeight);
        m_meter.Plan(steps);
    };
    planSteps(true);

    // The first pass at the rate planned with the audio's nominal bytes; the
    // second at the rate that its measured bytes leave.
    const std::string audioFile = m_plan.audioStream >= 0 ? m_work.Path() + "/audio.mka" : "";
    m_meter.Begin(Step::Pass1);
    if (!PlaceKeyFrames(&m_plan, m_stop) && m_stop.load()) {
        Fail(Failure::Cancelled, "cancelled");
        return m_outcome;
    }
    if (!RunStep(Pass1Command(m_plan, m_work.Path(), m_plan.firstVideoRate, audioFile),
                 "in the first pass") ||
        (!audioFile.empty() && !MeasureAudio(audioFile)))
        return m_outcome;
    BudgetInputs& b = m_plan.budget;
    const int64_t budget = b.capacity * b.parts;
    int64_t rate = BitsPerSecond(VideoBytesBeforeMeasuring(b), b.seconds);
    if (rate < m_plan.floorVideoRate) {
        Fail(Failure::VideoRateTooLow, "the audio took more than planned: the video rate left, " +
                                           std::to_string(rate / 1024) +
                                           " kBit/s, is below the floor");
        return m_outcome;
    }

    const auto margin = static_cast<int64_t>(std::ceil(b.margin * static_cast<double>(budget)));
    std::optional<Candidate> best;  // the fullest film that fits, not yet finished
    double askedMore = 0;           // bytes the last raised pass was asked to add
    int64_t lastVideoBytes = 0;
    std::vector<RatePoint> tried;
    for (int run = 1; run <= kMostSecondPasses; ++run) {
        if (run > 1) planSteps(false);
        m_meter.Begin(Step::Pass2, run);
        m_outcome.pass2Runs = run;
        Candidate c;
        c.file = m_work.Path() + "/encoded" + std::to_string(run) + Extension(m_plan.container);
        c.rate = rate;
        if (!RunStep(Pass2Command(m_plan, m_work.Path(), rate, audioFile, c.file),
                     "in the second pass") ||
            !Measure(c))
            return m_outcome;
        c.cuts = PlanCuts(c.packets, b.capacity, b.parts, c.cost, {});
        if (b.parts == 1) {
            // One part is the file itself: its size is known exactly.
            c.cuts.slack = b.capacity - c.fileBytes;
            c.cuts.fits = c.cuts.slack >= 0;
        }
        int64_t slack = c.cuts.slack;
        // A raised pass that added less than half of what it was asked
        // cannot use the room: the film has no more to give.
        const bool saturated =
            askedMore > 0 && static_cast<double>(c.videoBytes - lastVideoBytes) < askedMore / 2;
        askedMore = 0;
        lastVideoBytes = c.videoBytes;
        if (c.cuts.fits) {
            // The parts together: the film and the headers each part repeats.
            c.totalBytes = c.fileBytes + (b.parts - 1) * c.cost.perPart;
            const bool fuller = !best || c.totalBytes > best->totalBytes;
            // Raised, the film is cut elsewhere: half the cuts' reserve stays
            // back for that. Less than half a percent is not worth a pass.
            const int64_t gain = slack - margin - CutReserve(b) / 2;
            const bool wantMore = run < kMostSecondPasses && !saturated &&
                                  static_cast<double>(budget - c.totalBytes) >
                                      kUnusedWorthAPass * static_cast<double>(budget) &&
                                  gain > budget / 200;
            if (fuller) {
                if (best) unlink(best->file.c_str());
                best = c;
            } else {
                unlink(c.file.c_str());
            }
            if (wantMore) {
                slack = gain + margin;
                askedMore = static_cast<double>(gain);
            } else {
                if (!fuller) break;
                if (Finish(*best, &slack)) return m_outcome;
                if (m_outcome.failure != Failure::None) return m_outcome;
                unlink(best->file.c_str());
                best.reset();
            }
        } else {
            unlink(c.file.c_str());
        }
        if (run == kMostSecondPasses) break;
        // The next pass at the rate that moves the last part to the margin.
        tried.push_back({c.rate, c.videoBytes});
        rate = NextRate(tried, c.videoBytes + slack - margin);
    }
    if (best) {
        int64_t slack = 0;
        if (Finish(*best, &slack) || m_outcome.failure != Failure::None) return m_outcome;
    }
    Fail(Failure::NoFit, "after " + std::to_string(m_outcome.pass2Runs) +
                             " second passes the film still does not fit");
    return m_outcome;
}

}  // namespace

Outcome EncodeJob::Run(const JobSpec& spec, const ProgressFn& progress) {
    if (m_cancelled.load()) {
        Outcome o;
        o.failure = Failure::Cancelled;
        o.message = "cancelled";
        return o;
    }
    JobPlan plan;
    Outcome o = Prepare(spec, &plan);
    if (!o.Ok()) return o;
    Runner runner(plan, m_cancelled, progress);
    return runner.Run();
}

void EncodeJob::Cancel() {
    m_cancelled.store(true);
}

}  // namespace encode
