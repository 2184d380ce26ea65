// Everything a checked job knows before it encodes: the program, the
// source's streams and exact duration, the output picture, the audio set-up,
// the budget and the first video rate; and the ffmpeg commands of each step
// built from it. Shared by Check, PlannedCommands and EncodeJob::Run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/budget.h"
#include "encode/codec_settings.h"
#include "encode/encode_job.h"
#include "media/stream_scan.h"

namespace encode {

struct JobPlan {
    JobSpec spec;
    std::string ffmpeg;  // the program's path
    Container container = Container::Matroska;
    std::vector<std::string> outputs;
    media::FilmFacts facts;
    int64_t durationMicroseconds = 0;
    int videoStream = -1;  // the container's stream numbers
    int audioStream = -1;  // -1: no sound in the result
    AudioSetup audio;
    int sourceSampleRate = 0;
    int width = 0, height = 0;  // of the output picture
    bool scale = false;         // to width x height; else cropped to it when odd
    double fps = 0;
    int gopFrames = 0;               // 0: the codec's own key-frame interval
    std::vector<int64_t> keyFrames;  // µs on the output's time line: forced key frames
    BudgetInputs budget;
    int64_t firstVideoRate = 0;  // bit/s, before anything is measured
    int64_t floorVideoRate = 0;  // bit/s
    std::vector<std::string> leftOut;

    double Seconds() const { return static_cast<double>(durationMicroseconds) / 1e6; }
};

// Check's work: fills `plan` or returns the refusal.
Outcome Prepare(const JobSpec& spec, JobPlan* plan);

// For a film in parts, reads the whole source's video packets and places
// key frames where its bytes are dense (KeyFrameTimes). False when reading
// was stopped or failed (the codec's own key frames then stay).
bool PlaceKeyFrames(JobPlan* plan, const std::atomic<bool>& stop);

// The steps' commands, as argument vectors starting with the program. Paths
// are handed to ffmpeg as file: URLs, so that no name is taken for another
// protocol or an option.
// The first pass, and with `audioFile` the sound encoded into it.
std::vector<std::string> Pass1Command(const JobPlan& plan, const std::string& work, int64_t rate,
                                      const std::string& audioFile);
// Without `audioFile` the result has no sound.
std::vector<std::string> Pass2Command(const JobPlan& plan, const std::string& work, int64_t rate,
                                      const std::string& audioFile, const std::string& output);
// Cuts `input` before the key frames at `cutMicroseconds` (on the output's
// time line) into work/part1.EXT, part2.EXT, ...
std::vector<std::string> CutCommand(const JobPlan& plan, const std::string& work,
                                    const std::string& input,
                                    const std::vector<int64_t>& cutMicroseconds);
std::string PartFile(const JobPlan& plan, const std::string& work, int64_t part);  // 1-based

}  // namespace encode
