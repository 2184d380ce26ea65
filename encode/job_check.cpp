// What refuses a job before anything is encoded, and the plan a job that
// passes starts from (job_plan.h).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "encode/child_process.h"
#include "encode/job_files.h"
#include "encode/job_plan.h"

namespace encode {

namespace {

// The highest picture the job scales to: 8K.
constexpr int kHighestPicture = 4320;
// The most frames between key frames when the film is cut: 10 s at 25 frames.
constexpr int kLongestCutGop = 250;

Outcome Refuse(Failure failure, std::string message) {
    Outcome o;
    o.failure = failure;
    o.message = std::move(message);
    o.refused = true;
    return o;
}

std::string Kbit(int64_t bitsPerSecond) {
    return std::to_string(bitsPerSecond / 1024) + " kBit/s";
}

std::string Decimal(double value, int places) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return text;
}

const char* KindName(const media::StreamFacts& s) {
    if (s.cover) return "cover picture";
    switch (s.kind) {
        case media::StreamKind::Video:
            return "video";
        case media::StreamKind::Audio:
            return "audio";
        case media::StreamKind::Subtitle:
            return "subtitle";
        case media::StreamKind::Attachment:
            return "attachment";
        case media::StreamKind::Data:
            return "data";
        case media::StreamKind::Other:
            break;
    }
    return "other";
}

// "subtitle stream 3 (subrip, ger)", "audio stream 1 (ac3, 6 channels, eng)".
std::string Describe(const media::StreamFacts& s) {
    std::string d =
        std::string(KindName(s)) + " stream " + std::to_string(s.index) + " (" + s.codec;
    if (s.kind == media::StreamKind::Audio && s.channels > 0)
        d += ", " + std::to_string(s.channels) + (s.channels == 1 ? " channel" : " channels");
    if (!s.language.empty() && s.language != "und") d += ", " + s.language;
    return d + ")";
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The output's names: not folders, not the source; those that exist.
Outcome CheckNames(const JobPlan& plan, const struct stat& source) {
    const std::string folder = FolderOf(plan.spec.output);
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Refuse(Failure::BadOutput, folder + ": no such folder");
    Outcome o;
    for (const std::string& name : plan.outputs) {
        if (lstat(name.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) return Refuse(Failure::BadOutput, name + ": a folder");
        if (stat(name.c_str(), &st) == 0 && SameFile(st, source))
            return Refuse(Failure::BadOutput, name + ": the source itself");
        o.existing.push_back(name);
    }
    return o;
}

// The picture the encoder gets: scaled to the height asked for (the width
// by the aspect ratio, both even), or the source's with an odd side made
// even.
Outcome ChoosePicture(JobPlan& plan) {
    const int height = plan.spec.height;
    const int w = plan.facts.width, h = plan.facts.height;
    if (height == 0) {
        plan.width = w & ~1;
        plan.height = h & ~1;
        if (plan.width < 2 || plan.height < 2)
            return Refuse(Failure::NoVideo, plan.spec.source + ": the picture has no size");
        return {};
    }
    if (height < 16 || height > kHighestPicture || height % 2 != 0)
        return Refuse(Failure::BadHeight, "height " + std::to_string(height) +
                                              ": must be even, from 16 to " +
                                              std::to_string(kHighestPicture));
    if (w <= 0 || h <= 0)
        return Refuse(Failure::BadHeight, plan.spec.source + ": the picture's size is unknown");
    const long scaled = std::lround(static_cast<double>(w) * height / h / 2) * 2;
    if (scaled < 16 || scaled > 2 * kHighestPicture)
        return Refuse(Failure::BadHeight, "height " + std::to_string(height) +
                                              ": the width would be " + std::to_string(scaled));
    plan.width = static_cast<int>(scaled);
    plan.height = height;
    plan.scale = true;
    return {};
}

// Streams: the first video and (unless the audio is off) the first audio are
// encoded; the rest is named as left out.
Outcome ChooseStreams(JobPlan& plan, const media::StreamList& list) {
    const media::StreamFacts* audio = nullptr;
    for (const media::StreamFacts& s : list.streams) {
        if (plan.videoStream < 0 && s.kind == media::StreamKind::Video && !s.cover)
            plan.videoStream = s.index;
        else if (audio == nullptr && s.kind == media::StreamKind::Audio)
            audio = &s;
    }
    if (plan.videoStream < 0)
        return Refuse(Failure::NoVideo, plan.spec.source + ": has no video stream");
    if (audio != nullptr && !plan.spec.plan.audioOff) {
        plan.audioStream = audio->index;
        plan.sourceSampleRate = audio->sampleRate;
        plan.audio = ChooseAudio(plan.spec.audio, plan.spec.plan.audioKbit * 1024, audio->channels,
                                 audio->sampleRate);
    }
    for (const media::StreamFacts& s : list.streams) {
        if (s.index == plan.videoStream || s.index == plan.audioStream) continue;
        plan.leftOut.push_back(Describe(s) + (&s == audio ? ": audio off" : ""));
    }
    if (list.chapters > 0) plan.leftOut.push_back(std::to_string(list.chapters) + " chapters");
    return {};
}

// The budget, the first video rate and the floors.
Outcome CheckRates(JobPlan& plan) {
    const JobSpec& spec = plan.spec;
    BudgetInputs& b = plan.budget;
    b.capacity = spec.plan.partCapacity;
    b.parts = spec.plan.parts;
    b.seconds = plan.Seconds();
    b.fps = plan.fps;
    b.cost = CostOf(plan.container, spec.video);
    b.margin = RateMargin(spec.video);
    if (b.parts > 1) {
        // The waste of a cut is at most one key-frame interval: about a
        // hundredth of a part, one second at least (VP9's rate control
        // overshoots by a sixth with half a second), ten at most.
        const double partFrames = b.seconds / static_cast<double>(b.parts) * plan.fps;
        plan.gopFrames =
            std::clamp(static_cast<int>(std::lround(partFrames / 100)),
                       std::max(1, static_cast<int>(std::lround(plan.fps))), kLongestCutGop);
        b.gopSeconds = plan.gopFrames / plan.fps;
    }
    if (plan.audioStream >= 0) {
        if (spec.plan.audioKbit < AudioFloorKbit(spec.audio))
            return Refuse(Failure::AudioRateTooLow,
                          "audio at " + std::to_string(spec.plan.audioKbit) +
                              " kBit/s: " + CodecName(spec.audio) + " needs at least " +
                              std::to_string(AudioFloorKbit(spec.audio)) + " kBit/s");
        b.audioBytes = static_cast<int64_t>(
            std::ceil(static_cast<double>(plan.audio.bitsPerSecond) * b.seconds / 8));
        b.audioPackets =
            std::ceil(AudioPacketsPerSecond(plan.audio, plan.sourceSampleRate) * b.seconds);
        const double audioAlone = static_cast<double>(b.audioBytes) +
                                  b.audioPackets * b.cost.perAudioPacket +
                                  static_cast<double>(b.cost.perFile * b.parts);
        if (audioAlone > static_cast<double>(b.capacity * b.parts))
            return Refuse(Failure::AudioOverBudget,
                          "the audio alone needs about " + std::to_string(std::lround(audioAlone)) +
                              " bytes, more than the " + std::to_string(b.capacity * b.parts) +
                              " bytes of the plan");
    }
    plan.floorVideoRate = static_cast<int64_t>(
        std::ceil(FloorBitsPerPixel(spec.video) * plan.width * plan.height * plan.fps));
    plan.firstVideoRate = BitsPerSecond(VideoBytesBeforeMeasuring(b), b.seconds);
    const auto refuse = [&](const std::string& which, int64_t rate) {
        return Refuse(Failure::VideoRateTooLow,
                      which + ", " + Kbit(rate) + ", is below " + CodecName(spec.video) +
                          "'s floor of " + Kbit(plan.floorVideoRate) + " for " +
                          std::to_string(plan.width) + " x " + std::to_string(plan.height) +
                          " at " + Decimal(plan.fps, 2) + " frames/s (" +
                          Decimal(FloorBitsPerPixel(spec.video), 2) + " bits per pixel)");
    };
    // The plan's own rate, and the rate the budget leaves once the container
    // is counted as measured rather than as the calculation's header.
    if (spec.plan.videoKbit * 1024 < plan.floorVideoRate)
        return refuse("the plan's video rate", spec.plan.videoKbit * 1024);
    if (plan.firstVideoRate < plan.floorVideoRate)
        return refuse("the video rate left after the audio and the container", plan.firstVideoRate);
    return {};
}

// The room the job needs at most beside the output: the encoded film, a
// second one while a corrected pass runs or the parts are cut, the audio.
Outcome CheckFolder(const JobPlan& plan) {
    const std::string folder = FolderOf(plan.spec.output);
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return Refuse(Failure::NotWritable,
                      folder + ": cannot write there (" + std::strerror(errno) + ")");
    const int64_t budget = plan.budget.capacity * plan.budget.parts;
    const int64_t need = 2 * budget + plan.budget.audioBytes + (int64_t{1} << 20);
    const int64_t free = FreeBytes(folder);
    if (free >= 0 && free < need)
        return Refuse(Failure::NoSpace, folder + ": " + std::to_string(free >> 20) +
                                            " MB free, the job needs about " +
                                            std::to_string((need >> 20) + 1) + " MB");
    return {};
}

}  // namespace

std::vector<std::string> OutputNames(const std::string& output, int64_t parts) {
    if (parts <= 1) return {output};
    const std::size_t slash = output.rfind('/');
    std::size_t dot = output.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        dot = output.size();
    std::vector<std::string> names;
    for (int64_t k = 1; k <= parts; ++k)
        names.push_back(output.substr(0, dot) + ".part" + std::to_string(k) + output.substr(dot));
    return names;
}

Outcome Prepare(const JobSpec& spec, JobPlan* plan) {
    *plan = JobPlan{};
    plan->spec = spec;
    const Plan& p = spec.plan;
    int64_t budget = 0;
    if (!p.checked || p.parts < 1 || p.partCapacity <= 0 ||
        __builtin_mul_overflow(p.parts, p.partCapacity, &budget) ||
        (!p.audioOff && p.audioKbit < 0) || p.videoKbit <= 0)
        return Refuse(Failure::NotChecked, "the calculation is not checked; correct its values");
    if (!ContainerOf(spec.output, &plan->container))
        return Refuse(Failure::BadOutput, spec.output + ": the name must end in .mkv or .mp4");
    if (!ValidPreset(spec.video, spec.preset))
        return Refuse(Failure::BadPreset,
                      "preset '" + spec.preset + "': " + CodecName(spec.video) +
                          (spec.video == VideoCodec::VP9 ? " takes a speed from 0 to 8"
                                                         : " takes ultrafast to veryslow"));
    plan->outputs = OutputNames(spec.output, p.parts);

    const media::ProbeResult probe = media::ProbeFilm(spec.source);
    if (!probe.Ok()) {
        Outcome o =
            Refuse(Failure::SourceUnreadable, media::ErrorSentence(probe.error, spec.source));
        o.probeError = probe.error;
        return o;
    }
    struct stat source {};
    if (stat(spec.source.c_str(), &source) != 0 || !S_ISREG(source.st_mode)) {
        // A pipe or a device cannot be read twice.
        Outcome o = Refuse(Failure::SourceUnreadable, spec.source + ": not a regular file");
        o.probeError = media::ProbeError::NotReadable;
        return o;
    }
    plan->facts = probe.facts;
    if (!probe.facts.hasVideo)
        return Refuse(Failure::NoVideo, spec.source + ": has no video stream");
    const media::StreamList streams = media::ListStreams(spec.source);
    if (!streams.Ok()) {
        Outcome o =
            Refuse(Failure::SourceUnreadable, media::ErrorSentence(streams.error, spec.source));
        o.probeError = streams.error;
        return o;
    }
    plan->durationMicroseconds = streams.durationMicroseconds;
    // Without a frame rate in the headers, the estimates take 25.
    plan->fps = probe.facts.fps > 0 ? probe.facts.fps : 25;
    if (Outcome o = ChooseStreams(*plan, streams); !o.Ok()) return o;
    if (Outcome o = ChoosePicture(*plan); !o.Ok()) return o;
    Outcome names = CheckNames(*plan, source);
    if (!names.Ok()) return names;
    if (Outcome o = CheckRates(*plan); !o.Ok()) return o;
    if (!names.existing.empty() && !spec.force) {
        Outcome o = Refuse(Failure::OutputExists, names.existing.front() + ": exists already");
        o.existing = names.existing;
        return o;
    }
    if (Outcome o = CheckFolder(*plan); !o.Ok()) return o;
    plan->ffmpeg = FindProgram(spec.ffmpeg.empty() ? "ffmpeg" : spec.ffmpeg);
    if (plan->ffmpeg.empty())
        return Refuse(Failure::FfmpegMissing,
                      (spec.ffmpeg.empty() ? std::string("ffmpeg") : spec.ffmpeg) +
                          " is not installed; install the Debian package ffmpeg");
    Outcome ok;
    ok.leftOut = plan->leftOut;
    ok.withAudio = plan->audioStream >= 0;
    return ok;
}

bool PlaceKeyFrames(JobPlan* plan, const std::atomic<bool>& stop) {
    if (plan->budget.parts <= 1) return true;
    const media::PacketList list = media::ScanPackets(plan->spec.source, stop);
    if (!list.ok) return false;
    std::vector<SourceFrame> frames;
    for (const media::PacketFacts& p : list.packets) {
        if (p.stream == plan->videoStream && p.ptsMicroseconds != INT64_MIN)
            frames.push_back({p.ptsMicroseconds - list.startMicroseconds, p.bytes});
    }
    // Intervals of a quarter of a second at least; VP9's rate control
    // overshoots with intervals below a second, so half a second there.
    const double shortest = plan->spec.video == VideoCodec::VP9 ? 0.5 : 0.25;
    plan->keyFrames =
        KeyFrameTimes(frames, plan->budget.parts, plan->budget.gopSeconds, shortest, plan->fps);
    return true;
}

Outcome Check(const JobSpec& spec) {
    JobPlan plan;
    return Prepare(spec, &plan);
}

std::vector<std::vector<std::string>> PlannedCommands(const JobSpec& spec, Outcome* refusal) {
    JobPlan plan;
    Outcome o = Prepare(spec, &plan);
    if (refusal != nullptr) *refusal = o;
    if (!o.Ok()) return {};
    const std::atomic<bool> never{false};
    PlaceKeyFrames(&plan, never);
    const std::string work = WorkFolder::Placeholder(spec.output);
    const std::string audio = plan.audioStream >= 0 ? work + "/audio.mka" : "";
    const std::string encoded = work + "/encoded1" + Extension(plan.container);
    std::vector<std::vector<std::string>> commands;
    commands.push_back(Pass1Command(plan, work, plan.firstVideoRate, audio));
    commands.push_back(Pass2Command(plan, work, plan.firstVideoRate, audio, encoded));
    if (plan.budget.parts > 1) {
        // Where the cuts fall is known only once the film is encoded; the
        // even shares of the duration stand in for them.
        std::vector<int64_t> cuts;
        for (int64_t k = 1; k < plan.budget.parts; ++k)
            cuts.push_back(plan.durationMicroseconds * k / plan.budget.parts);
        commands.push_back(CutCommand(plan, work, encoded, cuts));
    }
    return commands;
}

}  // namespace encode
