// Tiny films made with the ffmpeg tool in a fresh temporary folder, for the
// tests of the probe and of the tools that use it; plus files that are no
// film. One ffmpeg run writes them all in about a second.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace test_films {

// Inputs: 10.4 s of 64 × 48 pictures at 25 frames per second, as much sound,
// 1 s of 320 × 240 at 29.97, and 2 s of pictures of unknown length.
inline constexpr const char* kFfmpegArguments =
    " -nostdin -v error -y"
    " -f lavfi -i testsrc=duration=10.4:size=64x48:rate=25"
    " -f lavfi -i sine=duration=10.4:sample_rate=8000"
    " -f lavfi -i testsrc=duration=1:size=320x240:rate=30000/1001"
    " -f lavfi -i testsrc=duration=2:size=64x48:rate=25"
    " -map 0 -t 10 -c:v mpeg4 video10.mkv"
    " -map 0 -t 10 -c:v mpeg4 video10.mp4"
    " -map 0 -map 1 -c:v mpeg4 -c:a aac both.mkv"
    " -map 0 -map 1 -c:v mpeg4 -c:a aac both.mp4"
    " -map 0 -map 1 -c:v mpeg2video -c:a mp2 both.ts"
    " -map 2 -c:v mpeg4 ntsc.mkv"
    " -map 1 -t 3.2 -c:a aac sound.m4a"
    " -map 1 -t 5 sound.wav"
    " -map 1 -t 3.2 -c:a aac sound.aac"
    " -map 0 -t 2 -c:v libx264 -preset ultrafast video.h264"
    " -map 0 -frames:v 1 cover.png"
    " -map 0 -t 4 -c:v mpeg4 -f hls -hls_time 2 playlist.m3u8"
    // Written to a pipe, the muxer cannot go back to write the length.
    " -map 3 -c:v mpeg4 -f matroska pipe:1 > live.mkv";

// The folder (readable by everyone, so that a test may read it as another
// user), or "" when ffmpeg failed.
inline std::string Make() {
    std::string dir = std::filesystem::temp_directory_path() / "tessarin-films-XXXXXX";
    if (mkdtemp(dir.data()) == nullptr || chmod(dir.c_str(), 0755) != 0) return "";
    const std::string command = "cd '" + dir + "' && ffmpeg" + kFfmpegArguments;
    if (std::system(command.c_str()) != 0) return "";
    std::ofstream(dir + "/empty.mkv");
    std::ofstream(dir + "/notes.mkv") << "Kapitel 1: 00:00:00\nKapitel 2: 00:42:17\n";
    std::mt19937 rng(7);
    std::ofstream random(dir + "/random.mkv", std::ios::binary);
    for (int i = 0; i < 4000; ++i)
        random.put(static_cast<char>(rng()));
    std::filesystem::create_directory(dir + "/folder.mkv");
    std::ofstream(dir + "/locked.mkv") << "locked";
    chmod((dir + "/locked.mkv").c_str(), 0);
    // A name that open() refuses for another reason than permission.
    std::error_code ec;
    std::filesystem::create_symlink("loop.mkv", dir + "/loop.mkv", ec);
    return dir;
}

inline void Remove(const std::string& dir) {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
}

}  // namespace test_films
