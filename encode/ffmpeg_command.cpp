// The ffmpeg command lines of the job's steps (job_plan.h).
#include <algorithm>
#include <cstdio>

#include "encode/job_plan.h"

namespace encode {

namespace {

using Args = std::vector<std::string>;

std::string Url(const std::string& path) {
    return "file:" + path;
}

// Quiet but for errors, progress as key=value lines on standard output,
// never a question on the terminal.
Args Start(const JobPlan& plan) {
    return {plan.ffmpeg, "-hide_banner", "-nostdin", "-loglevel",
            "error",     "-progress",    "pipe:1",   "-nostats"};
}

void Add(Args& a, std::initializer_list<std::string> more) {
    a.insert(a.end(), more);
}

std::string Map(int input, int stream) {
    return std::to_string(input) + ":" + std::to_string(stream);
}

// x265 takes its options as one "key=value:key=value" text, in which '\' is
// the escape character.
std::string X265Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == ':' || c == '=' || c == '\'') out += '\\';
        out += c;
    }
    return out;
}

// "12.345678": seconds as ffmpeg reads a time.
std::string Seconds(int64_t us) {
    char t[32];
    std::snprintf(t, sizeof t, "%lld.%06lld", static_cast<long long>(us / 1000000),
                  static_cast<long long>(us % 1000000));
    return t;
}

// "1.000000,2.500000": times as ffmpeg reads a list of them.
std::string SecondsList(const std::vector<int64_t>& times) {
    std::string list;
    for (const int64_t us : times)
        list += (list.empty() ? "" : ",") + Seconds(us);
    return list;
}

std::string StatsPrefix(const std::string& work) {
    return work + "/stats";
}

// The video encoder's options for one pass (1 or 2) at `rate` bit/s.
void AddVideo(Args& a, const JobPlan& plan, const std::string& work, int pass, int64_t rate) {
    const JobSpec& s = plan.spec;
    Add(a, {"-map", Map(0, plan.videoStream)});
    if (plan.scale) {
        Add(a, {"-vf", "scale=" + std::to_string(plan.width) + ":" + std::to_string(plan.height)});
    } else if (plan.width != plan.facts.width || plan.height != plan.facts.height) {
        // 4:2:0 pictures have even sides: an odd last row or column goes.
        Add(a, {"-vf",
                "crop=" + std::to_string(plan.width) + ":" + std::to_string(plan.height) + ":0:0"});
    }
    // Both passes must see the same frames: the muxers' own choice would
    // repeat a frame for MP4 where the sound starts before the picture
    // (Opus), and x265 then refuses the first pass's statistics.
    Add(a, {"-fps_mode", "passthrough", "-pix_fmt", "yuv420p", "-c:v", EncoderName(s.video), "-b:v",
            std::to_string(rate)});
    if (plan.gopFrames > 0) Add(a, {"-g", std::to_string(plan.gopFrames)});
    if (!plan.keyFrames.empty()) {
        Add(a, {"-force_key_frames", SecondsList(plan.keyFrames)});
        // x265 makes a forced key frame an IDR only when told.
        if (s.video == VideoCodec::H265) Add(a, {"-forced-idr", "1"});
    }
    const std::string passText = std::to_string(pass);
    switch (s.video) {
        case VideoCodec::H264:
            if (!s.preset.empty()) Add(a, {"-preset", s.preset});
            Add(a, {"-pass", passText, "-passlogfile", StatsPrefix(work)});
            break;
        case VideoCodec::H265: {
            if (!s.preset.empty()) Add(a, {"-preset", s.preset});
            // This ffmpeg hands -pass to x265 only through its own options.
            // A closed GOP: a part must not begin with pictures that refer
            // to the part before.
            std::string params = "log-level=error:pass=" + passText +
                                 ":stats=" + X265Escaped(StatsPrefix(work) + ".x265");
            if (plan.gopFrames > 0) params += ":open-gop=0";
            Add(a, {"-x265-params", params});
            if (plan.container == Container::Mp4) Add(a, {"-tag:v", "hvc1"});
            break;
        }
        case VideoCodec::VP9:
            // Its realtime mode ignores the first pass's statistics.
            Add(a, {"-deadline", "good"});
            if (!s.preset.empty()) Add(a, {"-cpu-used", s.preset});
            Add(a, {"-pass", passText, "-passlogfile", StatsPrefix(work)});
            break;
    }
}

}  // namespace

Args Pass1Command(const JobPlan& plan, const std::string& work, int64_t rate,
                  const std::string& audioFile) {
    Args a = Start(plan);
    Add(a, {"-i", Url(plan.spec.source)});
    AddVideo(a, plan, work, 1, rate);
    Add(a, {"-map_chapters", "-1", "-f", "null", "-"});
    if (audioFile.empty()) return a;
    // The sound, as a second output of the same run: the source is read
    // once, and the sound is encoded while the video's first pass runs.
    const AudioSetup& au = plan.audio;
    Add(a, {"-map", Map(0, plan.audioStream), "-map_metadata", "-1", "-map_chapters", "-1", "-c:a",
            EncoderName(au.codec), "-b:a", std::to_string(au.bitsPerSecond)});
    if (au.channels > 0) Add(a, {"-ac", std::to_string(au.channels)});
    if (au.sampleRate > 0) Add(a, {"-ar", std::to_string(au.sampleRate)});
    Add(a, {"-f", "matroska", Url(audioFile)});
    return a;
}

Args Pass2Command(const JobPlan& plan, const std::string& work, int64_t rate,
                  const std::string& audioFile, const std::string& output) {
    Args a = Start(plan);
    Add(a, {"-i", Url(plan.spec.source)});
    if (!audioFile.empty()) Add(a, {"-i", Url(audioFile)});
    AddVideo(a, plan, work, 2, rate);
    if (!audioFile.empty()) Add(a, {"-map", Map(1, 0), "-c:a", "copy"});
    Add(a, {"-map_chapters", "-1", "-f", MuxerName(plan.container), Url(output)});
    return a;
}

std::string PartFile(const JobPlan& plan, const std::string& work, int64_t part) {
    return work + "/part" + std::to_string(part) + Extension(plan.container);
}

Args CutCommand(const JobPlan& plan, const std::string& work, const std::string& input,
                const std::vector<int64_t>& cutMicroseconds) {
    std::vector<int64_t> times;
    for (const int64_t us : cutMicroseconds)
        times.push_back(std::max<int64_t>(us, 0));
    // The segment muxer numbers its files through a printf pattern: a '%'
    // of the folder's own name is doubled.
    std::string pattern;
    for (const char c : work + "/part")
        pattern += c == '%' ? std::string("%%") : std::string(1, c);
    pattern += std::string("%d") + Extension(plan.container);
    Args a = Start(plan);
    Add(a, {"-i", Url(input), "-map", "0", "-c", "copy", "-f", "segment", "-segment_format",
            MuxerName(plan.container), "-segment_times", SecondsList(times), "-segment_start_number", "1",
            "-reset_timestamps", "1", Url(pattern)});
    return a;
}

}  // namespace encode
