// The encode job on tiny films made at test time (six seconds, 160 × 90, the
// fastest presets), with the real ffmpeg and with stand-ins that fail or
// hang in the second pass.
#include "encode/encode_job.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "encode/child_process.h"
#include "media/stream_scan.h"
#include "tests/encode/stand_in_ffmpeg.h"

namespace {

namespace fs = std::filesystem;
using encode::Failure;

std::string TempFolder(const char* name) {
    std::string dir = fs::temp_directory_path() / (std::string(name) + "-XXXXXX");
    return mkdtemp(dir.data()) != nullptr ? dir : "";
}

// Runs a program to its end; its error output's last lines, or "failed".
std::string RunTool(const std::vector<std::string>& args) {
    const std::atomic<bool> never{false};
    const encode::ChildResult r =
        encode::RunChild(encode::FindProgram(args[0]), args, never, [](std::string_view) {});
    std::string tail;
    for (const std::string& line : r.errorTail)
        tail += line + "\n";
    return r.Succeeded() ? tail : "failed: " + tail;
}

class EncodeJob : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        films_ = TempFolder("tessarin-encode-films");
        ffmpeg_ = encode::FindProgram("ffmpeg");
        const std::string made = RunTool({"ffmpeg",
                                          "-v",
                                          "error",
                                          "-f",
                                          "lavfi",
                                          "-i",
                                          "testsrc2=duration=6:size=160x90:rate=25",
                                          "-f",
                                          "lavfi",
                                          "-i",
                                          "sine=duration=6:sample_rate=48000",
                                          "-f",
                                          "lavfi",
                                          "-i",
                                          "sine=duration=6:frequency=300",
                                          "-map",
                                          "0",
                                          "-map",
                                          "1",
                                          "-c:v",
                                          "mpeg4",
                                          "-q:v",
                                          "3",
                                          "-c:a",
                                          "aac",
                                          "-ac",
                                          "2",
                                          films_ + "/film.mkv",
                                          "-map",
                                          "0",
                                          "-c:v",
                                          "mpeg4",
                                          films_ + "/silent.mkv",
                                          "-map",
                                          "1",
                                          "-c:a",
                                          "aac",
                                          films_ + "/sound.m4a",
                                          "-map",
                                          "0",
                                          "-map",
                                          "1",
                                          "-map",
                                          "2",
                                          "-c:v",
                                          "mpeg4",
                                          "-c:a",
                                          "aac",
                                          "-metadata:s:a:1",
                                          "language=ger",
                                          films_ + "/two-sounds.mkv"});
        ASSERT_EQ(made, "");
    }
    static void TearDownTestSuite() { fs::remove_all(films_); }
    void SetUp() override {
        ASSERT_FALSE(films_.empty());
        out_ = TempFolder("tessarin-encode-out");
        ASSERT_FALSE(out_.empty());
    }
    void TearDown() override { fs::remove_all(out_); }

    // Six seconds at 96 kBit/s of video and 32 of sound in `parts`, with
    // the headers and the cuts' reserve: about 13 kB a second.
    encode::JobSpec Spec(const std::string& output, int64_t parts = 1) const {
        encode::JobSpec s;
        s.source = films_ + "/film.mkv";
        s.output = out_ + "/" + output;
        s.plan = {96, 32, false, parts, (80'000 + (parts - 1) * 14'000) / parts, true};
        s.preset = "ultrafast";
        return s;
    }

    // A stand-in for ffmpeg (stand_in_ffmpeg.h) beside the output's folder.
    std::string StandIn(const std::string& then) const {
        const std::string path = out_ + "-ffmpeg";
        stand_in::Write(path, ffmpeg_, then);
        standIns_.push_back(path);
        return path;
    }
    ~EncodeJob() override {
        for (const std::string& p : standIns_)
            fs::remove(p);
    }

    // What the output folder holds, hidden files too.
    std::vector<std::string> Left() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(out_))
            names.push_back(e.path().filename());
        return names;
    }

    static std::string films_, ffmpeg_;
    std::string out_;
    mutable std::vector<std::string> standIns_;
};
std::string EncodeJob::films_, EncodeJob::ffmpeg_;

// Decodes without an error, has picture and (unless not) sound, and its
// first picture is shown at about zero.
void ExpectPlays(const std::string& file, bool sound) {
    EXPECT_EQ(RunTool({"ffmpeg", "-v", "error", "-i", file, "-f", "null", "-"}), "") << file;
    const std::atomic<bool> never{false};
    const media::PacketList list = media::ScanPackets(file, never);
    ASSERT_TRUE(list.ok) << file;
    int video = -1, audio = -1;
    for (const media::StreamFacts& s : list.streams) {
        if (s.kind == media::StreamKind::Video) video = s.index;
        if (s.kind == media::StreamKind::Audio) audio = s.index;
    }
    ASSERT_GE(video, 0) << file;
    EXPECT_EQ(audio >= 0, sound) << file;
    int64_t first = INT64_MAX;
    for (const media::PacketFacts& p : list.packets) {
        if (p.stream == video) first = std::min(first, p.ptsMicroseconds);
    }
    EXPECT_LT(std::abs(first - list.startMicroseconds), 200'000) << file;
    EXPECT_LT(std::abs(list.startMicroseconds), 200'000) << file;
}

TEST_F(EncodeJob, EveryCodecFitsAndPlays) {
    struct Case {
        encode::VideoCodec video;
        encode::AudioCodec audio;
        const char* preset;
        const char* output;
    };
    const Case cases[] = {
        {encode::VideoCodec::H264, encode::AudioCodec::AAC, "ultrafast", "h264.mkv"},
        {encode::VideoCodec::H265, encode::AudioCodec::Opus, "ultrafast", "h265.mp4"},
        {encode::VideoCodec::VP9, encode::AudioCodec::MP3, "8", "vp9.mkv"},
        {encode::VideoCodec::VP9, encode::AudioCodec::Opus, "8", "vp9.mp4"},
    };
    for (const Case& c : cases) {
        encode::JobSpec s = Spec(c.output);
        s.video = c.video;
        s.audio = c.audio;
        s.preset = c.preset;
        const encode::Outcome r = encode::EncodeJob().Run(s, {});
        ASSERT_TRUE(r.Ok()) << c.output << ": " << r.message << "\n" << r.details;
        ASSERT_EQ(r.files.size(), 1u);
        EXPECT_EQ(r.files[0].path, s.output);
        EXPECT_EQ(r.files[0].bytes, static_cast<int64_t>(fs::file_size(s.output))) << c.output;
        EXPECT_LE(r.files[0].bytes, r.files[0].capacity) << c.output;
        EXPECT_GE(r.pass2Runs, 1);
        EXPECT_LE(r.pass2Runs, 3);
        ExpectPlays(s.output, true);
    }
    EXPECT_EQ(Left().size(), std::size(cases));  // no work folder left
}

TEST_F(EncodeJob, EveryPartFitsAndPlaysOnItsOwn) {
    for (const auto& [output, parts] : {std::pair{"two.mp4", 2}, std::pair{"three.mkv", 3}}) {
        std::vector<encode::Progress> seen;
        const encode::Outcome r = encode::EncodeJob().Run(
            Spec(output, parts), [&](const encode::Progress& p) { seen.push_back(p); });
        ASSERT_TRUE(r.Ok()) << output << ": " << r.message << "\n" << r.details;
        const std::vector<std::string> names = encode::OutputNames(out_ + "/" + output, parts);
        ASSERT_EQ(r.files.size(), names.size());
        for (std::size_t k = 0; k < names.size(); ++k) {
            EXPECT_EQ(r.files[k].path, names[k]);
            EXPECT_EQ(r.files[k].bytes, static_cast<int64_t>(fs::file_size(names[k])));
            EXPECT_LE(r.files[k].bytes, r.files[k].capacity) << names[k];
            ExpectPlays(names[k], true);
        }
        // Every step was reported, in order, and the share never went back.
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.front().step, encode::Step::Pass1);
        EXPECT_EQ(seen.back().step, encode::Step::Cut);
        for (std::size_t i = 1; i < seen.size(); ++i) {
            EXPECT_GE(seen[i].fraction, seen[i - 1].fraction);
            EXPECT_GE(static_cast<int>(seen[i].step), static_cast<int>(seen[i - 1].step));
        }
        EXPECT_NEAR(seen.back().fraction, 1, 1e-9);
    }
    EXPECT_EQ(Left().size(), 5u);
}

TEST_F(EncodeJob, WhatIsLeftOutIsNamed) {
    encode::JobSpec s = Spec("left.mkv");
    s.source = films_ + "/two-sounds.mkv";
    encode::Outcome r = encode::EncodeJob().Run(s, {});
    ASSERT_TRUE(r.Ok()) << r.message;
    EXPECT_TRUE(r.withAudio);
    EXPECT_EQ(r.leftOut, std::vector<std::string>{"audio stream 2 (aac, 1 channel, ger)"});
    // Without sound in the source the video takes the whole budget.
    s.source = films_ + "/silent.mkv";
    s.output = out_ + "/silent.mkv";
    r = encode::EncodeJob().Run(s, {});
    ASSERT_TRUE(r.Ok()) << r.message;
    EXPECT_FALSE(r.withAudio);
    ExpectPlays(s.output, false);
    // With the audio off, the source's sound is what is left out.
    s.source = films_ + "/film.mkv";
    s.output = out_ + "/off.mkv";
    s.plan.audioOff = true;
    r = encode::EncodeJob().Run(s, {});
    ASSERT_TRUE(r.Ok()) << r.message;
    EXPECT_EQ(r.leftOut, std::vector<std::string>{"audio stream 1 (aac, 2 channels): audio off"});
}

TEST_F(EncodeJob, ImpossiblePlansAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* what;
        void (*change)(encode::JobSpec&, const std::string& films);
        Failure failure;
    };
    const Case cases[] = {
        {"not checked", [](auto& s, auto&) { s.plan.checked = false; }, Failure::NotChecked},
        {"no film", [](auto& s, auto& f) { s.source = f + "/missing.mkv"; },
         Failure::SourceUnreadable},
        {"sound only", [](auto& s, auto& f) { s.source = f + "/sound.m4a"; }, Failure::NoVideo},
        // 1000 bytes a second leave H.264 less than 0.02 bits per pixel.
        {"video too low", [](auto& s, auto&) { s.plan = {4, 4, true, 1, 6000, true}; },
         Failure::VideoRateTooLow},
        {"audio too low", [](auto& s, auto&) { s.plan.audioKbit = 4; }, Failure::AudioRateTooLow},
        {"audio over", [](auto& s, auto&) { s.plan.audioKbit = 384; }, Failure::AudioOverBudget},
        {"no container", [](auto& s, auto&) { s.output += ".avi"; }, Failure::BadOutput},
        {"no folder", [](auto& s, auto&) { s.output = "/nonexistent/x.mkv"; }, Failure::BadOutput},
        {"the source", [](auto& s, auto&) { s.output = s.source; }, Failure::BadOutput},
        {"bad preset", [](auto& s, auto&) { s.preset = "9"; }, Failure::BadPreset},
        {"odd height", [](auto& s, auto&) { s.height = 71; }, Failure::BadHeight},
        {"no ffmpeg", [](auto& s, auto& f) { s.ffmpeg = f + "/no-ffmpeg"; },
         Failure::FfmpegMissing},
    };
    for (const Case& c : cases) {
        encode::JobSpec s = Spec("refused.mkv");
        c.change(s, films_);
        const encode::Outcome checked = encode::Check(s);
        EXPECT_EQ(checked.failure, c.failure) << c.what << ": " << checked.message;
        EXPECT_TRUE(checked.refused) << c.what;
        EXPECT_NE(checked.message, "") << c.what;
        encode::Outcome refusal;
        EXPECT_TRUE(encode::PlannedCommands(s, &refusal).empty()) << c.what;
        EXPECT_EQ(refusal.failure, c.failure) << c.what;
        EXPECT_EQ(encode::EncodeJob().Run(s, {}).failure, c.failure) << c.what;
    }
    EXPECT_TRUE(Left().empty());
}

TEST_F(EncodeJob, AnExistingOutputIsReplacedOnlyWhenAsked) {
    encode::JobSpec s = Spec("kept.mkv", 2);
    const std::string second = out_ + "/kept.part2.mkv";
    std::ofstream(second) << "mine";
    encode::Outcome r = encode::EncodeJob().Run(s, {});
    EXPECT_EQ(r.failure, Failure::OutputExists);
    EXPECT_EQ(r.existing, std::vector<std::string>{second});
    EXPECT_EQ(Left(), std::vector<std::string>{"kept.part2.mkv"});
    EXPECT_EQ(fs::file_size(second), 4u);
    s.force = true;
    r = encode::EncodeJob().Run(s, {});
    ASSERT_TRUE(r.Ok()) << r.message;
    EXPECT_GT(fs::file_size(second), 4u);
}

TEST_F(EncodeJob, AFailingFfmpegLeavesNothingAndSaysWhy) {
    const std::string begun = stand_in::kBegun;
    const struct {
        std::string then;
        Failure failure;
        const char* told;
    } cases[] = {
        {begun + "echo 'Conversion failed!' >&2; exit 1", Failure::FfmpegFailed,
         "Conversion failed!"},
        {begun + "echo 'Error writing trailer: No space left on device' >&2; exit 1",
         Failure::DiskFull, "No space left on device"},
        {begun + "kill -SEGV $$", Failure::FfmpegFailed, ""},
        {stand_in::kTwentyTimesTheRate, Failure::NoFit, ""},
    };
    for (const auto& c : cases) {
        encode::JobSpec s = Spec("failed.mkv", 2);
        s.ffmpeg = StandIn(c.then);
        const encode::Outcome r = encode::EncodeJob().Run(s, {});
        EXPECT_EQ(r.failure, c.failure) << c.then << ": " << r.message;
        EXPECT_NE(r.details.find(c.told), std::string::npos) << r.details;
        EXPECT_TRUE(r.files.empty());
        EXPECT_TRUE(Left().empty()) << c.then;
    }
}

TEST_F(EncodeJob, CancellingEndsFfmpegAndLeavesNothing) {
    encode::JobSpec s = Spec("cancelled.mkv");
    s.ffmpeg = StandIn(std::string(stand_in::kBegun) + "exec sleep 30");
    encode::EncodeJob job;
    std::atomic<bool> inSecondPass{false};
    encode::Outcome r;
    std::thread run([&] {
        r = job.Run(s, [&](const encode::Progress& p) {
            if (p.step == encode::Step::Pass2 && p.fraction > 0) inSecondPass = true;
        });
    });
    for (int i = 0; i < 3000 && !inSecondPass; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(inSecondPass.load());
    job.Cancel();
    run.join();
    EXPECT_EQ(r.failure, Failure::Cancelled);
    EXPECT_TRUE(Left().empty());
    // The stand-in was ended and waited for: no child is left.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    // A job cancelled before it starts does nothing.
    EXPECT_EQ(job.Run(Spec("later.mkv"), {}).failure, Failure::Cancelled);
    EXPECT_TRUE(Left().empty());
}

}  // namespace
