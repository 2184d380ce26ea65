// tessarin-calc as scripts run it: the built program with real command lines,
// its standard output, standard error and exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/slider_scale.h"
#include "settings/stored_settings.h"
#include "tests/media/test_films.h"
#include "tests/settings/temp_config.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs the program with the arguments `words`, in this process's environment
// and `preload` (LD_PRELOAD) when given; its two outputs go through files,
// so neither can block it.
Outcome RunWords(std::vector<std::string> words, const std::string& preload = "") {
    words.insert(words.begin(), TESSARIN_CALC);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    const std::string dir = std::filesystem::temp_directory_path();
    std::string outPath = dir + "/tessarin-calc-out-XXXXXX",
                errPath = dir + "/tessarin-calc-err-XXXXXX";
    const int outFd = mkstemp(outPath.data()), errFd = mkstemp(errPath.data());
    Outcome run;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        if (!preload.empty()) setenv("LD_PRELOAD", preload.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    // Ended after half a minute whatever it does: a read that hangs must not
    // hold up the test.
    int wstatus = 0;
    for (int waited = 0; waitpid(pid, &wstatus, WNOHANG) == 0; ++waited) {
        if (waited == 3000) {
            kill(pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            break;
        }
        usleep(10 * 1000);
    }
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    close(outFd);
    close(errFd);
    auto slurp = [](const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        std::filesystem::remove(path);
        return s.str();
    };
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    return run;
}

// `args` split at blanks; '' is an empty argument.
Outcome RunCalc(const std::string& args) {
    std::vector<std::string> words;
    std::istringstream in(args);
    for (std::string w; in >> w;)
        words.push_back(w == "''" ? "" : w);
    return RunWords(words);
}

// The JSON line for the given numbers, with the keys in the program's order.
std::string Json(int64_t seconds, int64_t audio, int64_t video, int64_t size, int64_t parts,
                 bool audioOff, const char* solved, const char* state = "checked") {
    const int64_t header = parts * 10256;
    std::ostringstream s;
    s << "{\"duration_seconds\":" << seconds << ",\"audio_kbit_s\":" << audio
      << ",\"video_kbit_s\":" << video << ",\"size_bytes\":" << size << ",\"parts\":" << parts
      << ",\"header_bytes\":" << header << ",\"audio_bytes\":" << seconds * audio * 128
      << ",\"video_bytes\":" << seconds * video * 128
      << ",\"total_bytes\":" << seconds * (audio + video) * 128 + header
      << ",\"audio_bit_s\":" << audio * 1024 << ",\"video_bit_s\":" << video * 1024
      << ",\"audio_off\":" << (audioOff ? "true" : "false") << ",\"solved\":[" << solved
      << "],\"state\":\"" << state << "\"}\n";
    return s.str();
}

constexpr int64_t kMB = 1 << 20;

TEST(TessarinCalc, InitialValuesInTheWindowsWordsAndForms) {
    const Outcome r = RunCalc("");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "Videolänge:         01:30:00 (90 Minuten)\n"
              "Audiodatenrate:     128 kBits/s\n"
              "Videodatenrate:     1995 kBits/s\n"
              "Max. Datengröße:    1.468.006.400 Byte\n"
              "CDs:                2\n"
              "Headerdaten:        20.512 Byte\n"
              "Audiodaten:         88.473.600 Byte\n"
              "Videodaten:         1.378.944.000 Byte\n"
              "Gesamtdaten:        1.467.438.112 Byte\n"
              "Audio für Encoder:  131072 bit/s\n"
              "Video für Encoder:  2042880 bit/s\n"
              "Berechnet:          Videodatenrate\n"
              "Status:             Geprüft\n");
}

struct LineCase {
    const char* args;
    int status;
    std::string out;
};

TEST(TessarinCalc, CommandLinesGiveTheWindowsNumbers) {
    // Payload of the first size: (1468006400 - 20512) >> 7 = 11468639.
    const LineCase cases[] = {
        // 1:00:00: 11468639 quo 3600 - 128.
        {"--duration 1:00:00", 0, Json(3600, 128, 3057, 1400 * kMB, 2, false, "\"video\"")},
        {"--duration 3600", 0, Json(3600, 128, 3057, 1400 * kMB, 2, false, "\"video\"")},
        // 2:00:00 does not fit 100 MByte: 1 kBit/s of video, and the longest
        // duration that fits, 819039 quo 129 = 6349 s.
        {"--size 100M --duration 2:00:00", 0,
         Json(6349, 128, 1, 100 * kMB, 2, false, "\"video\",\"time\"")},
        // No audio: the whole payload goes to the video.
        {"--no-audio", 0, Json(5400, 0, 2123, 1400 * kMB, 2, true, "\"video\"")},
        // Three 800 MB CDs: 3 headers, (2516582400 - 30768) >> 7 quo 5400 - 128.
        {"--cds 3 --cd-size 800", 0, Json(5400, 128, 3512, 3 * 800 * kMB, 3, false, "\"video\"")},
        // The two examples of the README.
        {"--cds 2 --duration 1:45:00 --audio 128", 0,
         Json(6300, 128, 1692, 1400 * kMB, 2, false, "\"video\"")},
        {"--cds 1 --cd-size 800 --no-audio --duration 1:30:00", 0,
         Json(5400, 0, 1213, 800 * kMB, 1, true, "\"video\"")},
        // Video, size and audio locked: the duration is solved back.
        {"--lock video,size,audio --duration 0:10:00", 0,
         Json(5402, 128, 1995, 1400 * kMB, 2, false, "\"time\"")},
        // Video and size locked: the audio rate follows, up to 384, and the
        // duration is solved back from it: 11468639 quo 2379.
        {"--lock video,size --duration 0:10:00", 0,
         Json(4820, 384, 1995, 1400 * kMB, 2, false, "\"audio\",\"time\"")},
        // The change handlers' rules: 500 is 384, 2 is 4, 75 minutes are 59.
        {"--audio 500", 0, Json(5400, 384, 1739, 1400 * kMB, 2, false, "\"video\"")},
        {"--audio 2", 0, Json(5400, 4, 2119, 1400 * kMB, 2, false, "\"video\"")},
        {"--duration 1:75:00", 0, Json(7140, 128, 1478, 1400 * kMB, 2, false, "\"video\"")},
        {"--duration=-1:-5:-9", 0, Json(1, 128, 11468511, 1400 * kMB, 2, false, "\"video\"")},
        // Two given, two free: a given value is not solved over; the first
        // free one after the size is the duration: 5734239 quo 2128.
        {"--video 2000 --size 700M", 0, Json(2694, 128, 2000, 700 * kMB, 2, false, "\"time\"")},
        {"--video 2000 --solve audio", 0, Json(5400, 123, 2000, 1400 * kMB, 2, false, "\"audio\"")},
        // All four given: the window's order for the last one (size: video).
        {"--video 100 --duration 1:00:00 --audio 64 --size 700M", 0,
         Json(3600, 64, 1528, 700 * kMB, 2, false, "\"video\"")},
        // Discs by --medium, counted by --parts or --cds: two DVDs, and the
        // same three 800 MB CDs as above.
        {"--medium dvd --parts 2 --duration 1:00:00", 0,
         Json(3600, 128, 20272, 2 * 4700372992, 2, false, "\"video\"")},
        {"--medium cd800 --cds 3", 0, Json(5400, 128, 3512, 3 * 800 * kMB, 3, false, "\"video\"")},
        // Without limits values out of range stay and make the state faulty.
        {"--no-limits --video -5", 1,
         Json(5400, 128, -5, 85038112, 2, false, "\"size\"", "faulty")},
        {"--no-limits --duration 0", 1,
         Json(0, 128, 11468511, 1400 * kMB, 2, false, "\"video\"", "faulty")},
        {"--no-limits --parts 0 --audio 4", 1,
         Json(5400, 4, 2119, 1400 * kMB, 0, false, "\"video\"", "faulty")},
    };
    for (const LineCase& c : cases) {
        const Outcome r = RunCalc(std::string(c.args) + " --json");
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err, "") << c.args;
    }
}

TEST(TessarinCalc, BadArgumentsAreNamedOnOneLine) {
    struct Case {
        const char* args;
        const char* named;  // the message names this
    };
    const Case cases[] = {
        {"--video 12a", "'12a': not a whole number"},
        {"--video ''", "--video '': not a whole number"},
        {"--video +5", "'+5': not a whole number"},
        {"--audio 9223372036854775808", "'9223372036854775808': does not fit in 64 bits"},
        {"--duration 1:30", "--duration '1:30': use H:MM:SS or seconds"},
        {"--duration 1:x:00", "--duration 'x': not a whole number"},
        {"--duration 99999999999999999999:00:00", "does not fit in 64 bits"},
        {"--duration 9999999999999999:00:00", "--duration"},
        {"--size 10X", "--size '10X': the unit must be G, M, K or B"},
        {"--size 8589934592G", "--size '8589934592G': does not fit in 64 bits"},
        {"--cds 0", "--cds '0': at least 1"},
        {"--cds 99999999999", "--cds 99999999999"},
        {"--cds 1 --cd-size 750", "--cd-size '750'"},
        {"--cd-size 800", "--cd-size needs --cds"},
        {"--cds 2 --size 700M", "--cds and --size"},
        {"--cds 2 --parts 3", "--parts"},
        {"--parts 999999999999999999", "--parts 999999999999999999"},
        {"--audio 1 --no-audio", "--audio and --no-audio"},
        {"--lock time,foo", "'foo' is not time, audio, video or size"},
        {"--solve speed", "--solve 'speed'"},
        {"--solve video --video 100", "--solve video: already given by --video"},
        {"--solve audio --no-audio", "--solve audio"},
        {"--video 1 --video 2", "--video given twice"},
        {"--json=1", "--json takes no value"},
        {"--bogus", "unknown option '--bogus'"},
        {"stray", "unexpected argument 'stray'"},
        {"--video", "--video needs a value"},
        {"--duration 1:00:00 --duration-of film.mkv", "--duration and --duration-of exclude"},
        {"--duration-of=", "--duration-of needs a file"},
        {"--solve time --duration-of film.mkv", "--solve time: already given by --duration or"},
        {"--medium floppy", "--medium 'floppy': must be one of cd650, cd700, cd800, dvd,"},
        {"--medium dvd --size 4G", "--medium and --size exclude each other"},
        {"--codec h265", "--codec needs --encode"},
        {"--dry-run", "--dry-run needs --encode"},
        {"--encode film.mkv", "--encode needs --duration-of"},
        {"--encode x.mkv --duration-of film.mkv --codec av1", "--codec 'av1': must be one of"},
        // Results beyond 64 bits, or a solved duration beyond 32 bits.
        {"--duration 9223372036854775807 --video 1", "does not fit in 64 bits"},
        {"--size 8000000000G --audio 4 --video 1", "does not fit in 64 bits"},
        {"--no-limits --video 9223372036854775807 --solve time", "does not fit in 64 bits"},
    };
    for (const Case& c : cases) {
        const Outcome r = RunCalc(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_TRUE(r.err.starts_with("tessarin-calc: ")) << c.args << ": " << r.err;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.args << ": " << r.err;
    }
}

TEST(TessarinCalc, HelpAndVersion) {
    const Outcome help = RunCalc("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: tessarin-calc ")) << help.out;
    const Outcome version = RunCalc("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tessarin-calc " + std::to_string(settings::kVersionMajor) + "." +
                               std::to_string(settings::kVersionMinor) + "\n");
}

// The duration of a film file, with what the file tells beside it.
class TessarinCalcFilm : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dir_ = test_films::Make(); }
    static void TearDownTestSuite() { test_films::Remove(dir_); }
    static std::string dir_;
};
std::string TessarinCalcFilm::dir_;

TEST_F(TessarinCalcFilm, TakesTheFilesDurationAndTellsItsPicture) {
    ASSERT_FALSE(dir_.empty()) << "ffmpeg could not make the films";
    // The JSON line with "source" and "bits_per_pixel" after the usual keys.
    auto withSource = [](std::string json, const std::string& source) {
        return json.erase(json.size() - 2) + ",\"source\":{\"file\":\"" + dir_ + source + "}\n";
    };
    // 10.53 s are 11 s; 100 kBit/s over 64 × 48 pixels at 25 frames/s are
    // 102400 / 76800 = 1.33 bits per pixel.
    const LineCase cases[] = {
        {"--duration-of DIR/both.mkv --video 100 --json", 0,
         withSource(Json(11, 128, 100, 11 * 228 * 128 + 20512, 2, false, "\"size\""),
                    "/both.mkv\",\"duration_seconds\":11,\"width\":64,\"height\":48,\"fps\":25,"
                    "\"audio\":true},\"bits_per_pixel\":1.33")},
        // The frame rate 30000/1001; the duration is given last, so the video
        // rate is solved: 5734319 quo 2 - 128.
        {"--cds 1 --duration-of DIR/ntsc.mkv --json", 0,
         withSource(Json(2, 128, 2867031, 700 * kMB, 1, false, "\"video\""),
                    "/ntsc.mkv\",\"duration_seconds\":2,\"width\":320,\"height\":240,"
                    "\"fps\":29.97,\"audio\":false},\"bits_per_pixel\":1275.51")},
        // Sound alone: no picture, no bits per pixel.
        {"--duration-of DIR/sound.m4a --video 100 --json", 0,
         withSource(Json(4, 128, 100, 4 * 228 * 128 + 20512, 2, false, "\"size\""),
                    "/sound.m4a\",\"duration_seconds\":4,\"width\":null,\"height\":null,"
                    "\"fps\":null,\"audio\":true},\"bits_per_pixel\":null")},
        {"--duration-of DIR/both.mkv --video 100", 0,
         "Quelle:             " + dir_ +
             "/both.mkv\n"
             "Bildgröße:          64 × 48\n"
             "Bildrate:           25 Bilder/s\n"
             "Videolänge:         00:00:11 (0 Minuten)\n"
             "Audiodatenrate:     128 kBits/s\n"
             "Videodatenrate:     100 kBits/s\n"
             "Max. Datengröße:    341.536 Byte\n"
             "CDs:                2\n"
             "Headerdaten:        20.512 Byte\n"
             "Audiodaten:         180.224 Byte\n"
             "Videodaten:         140.800 Byte\n"
             "Gesamtdaten:        341.536 Byte\n"
             "Audio für Encoder:  131072 bit/s\n"
             "Video für Encoder:  102400 bit/s\n"
             "Bits pro Pixel:     1,33\n"
             "Berechnet:          Max. Datengröße\n"
             "Status:             Geprüft\n"},
        {"--duration-of DIR/sound.m4a --no-audio --video 100", 0,
         "Quelle:             " + dir_ +
             "/sound.m4a (nur Ton)\n"
             "Videolänge:         00:00:04 (0 Minuten)\n"
             "Audiodatenrate:     0 kBits/s (Aus)\n"
             "Videodatenrate:     100 kBits/s\n"
             "Max. Datengröße:    71.712 Byte\n"
             "CDs:                2\n"
             "Headerdaten:        20.512 Byte\n"
             "Audiodaten:         0 Byte\n"
             "Videodaten:         51.200 Byte\n"
             "Gesamtdaten:        71.712 Byte\n"
             "Audio für Encoder:  0 bit/s\n"
             "Video für Encoder:  102400 bit/s\n"
             "Berechnet:          Max. Datengröße\n"
             "Status:             Geprüft\n"},
    };
    for (const LineCase& c : cases) {
        std::string args = c.args;
        args.replace(args.find("DIR"), 3, dir_);
        const Outcome r = RunCalc(args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err, "") << c.args;
    }
}

// Every file the probe cannot take is a usage error naming the file.
TEST_F(TessarinCalcFilm, AFileWithoutADurationIsNamedOnOneLine) {
    ASSERT_FALSE(dir_.empty()) << "ffmpeg could not make the films";
    const std::pair<const char*, const char*> cases[] = {
        {"missing.mkv", "no such file"},
        {"folder.mkv", "a folder"},
        {"notes.mkv", "not a film or sound file"},
        {"video.h264", "tells no duration"},
    };
    for (const auto& [name, problem] : cases) {
        const std::string path = dir_ + "/" + name;
        const Outcome r = RunCalc("--json --duration-of " + path);
        EXPECT_EQ(r.status, 2) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_TRUE(r.err.starts_with("tessarin-calc: " + path + ": " + problem)) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

// A name with a newline, a tab or an escape stays on its row, escaped; a
// film without sound says so.
TEST_F(TessarinCalcFilm, TheSourceRowIsOneLineAndTellsAFilmWithoutSound) {
    ASSERT_FALSE(dir_.empty()) << "ffmpeg could not make the films";
    const std::string odd = dir_ + "/new\nline\tand\x1b[31m.mkv";
    ASSERT_EQ(link((dir_ + "/video10.mkv").c_str(), odd.c_str()), 0);
    const Outcome r = RunWords({"--duration-of", odd});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("Quelle:             " + dir_ +
                                  "/new\\nline\\tand\\x1b[31m.mkv (ohne Ton)\n"))
        << r.out;
}

// A read that never gets its bytes ends with the timeout error in about ten
// seconds: from a pipe that no one writes to (the probe's own deadline), and
// from a file whose read the kernel holds, as a hard-mounted network share
// that stopped answering does (here a preloaded pread that never returns).
TEST_F(TessarinCalcFilm, AReadThatHangsEndsWithTheTimeoutError) {
    ASSERT_FALSE(dir_.empty()) << "ffmpeg could not make the films";
    const std::string pipe = dir_ + "/unwritten.mkv", held = dir_ + "/held.stalled";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(link((dir_ + "/both.mkv").c_str(), held.c_str()), 0);
    for (const auto& [file, preload] : {std::pair{pipe, ""}, std::pair{held, STALLED_READS}}) {
        const auto before = std::chrono::steady_clock::now();
        const Outcome r = RunWords({"--duration-of", file}, preload);
        const auto took = std::chrono::steady_clock::now() - before;
        EXPECT_EQ(r.status, 2) << file;
        EXPECT_EQ(r.err, "tessarin-calc: " + file +
                             ": reading took longer than 10 seconds and was given up\n");
        EXPECT_LT(took, std::chrono::seconds(12)) << file;
    }
}

class TessarinCalcSettings : public TempConfig {};

// The stored values, locks and "Aus" box are the start; the file is only read.
TEST_F(TessarinCalcSettings, StartsFromTheStoredSettingsAndLeavesThemAlone) {
    {
        settings::FileRegistry registry(path_);
        FilmModel m;
        m.SetDuration(6300);
        m.audioRate = 0;
        m.videoRate = 1000;
        m.SetSize(700 * kMB);
        m.SetParts(1);
        m.autoRange = 0;  // the stored options do not count
        m.autoCalculate = 0;
        settings::StoredControls controls;
        controls.videoFix = 1;
        controls.audioOff = 1;
        ASSERT_EQ(settings::WriteStoredSettings(registry, m, controls), settings::kSuccess);
    }
    std::filesystem::remove(path_ + ".lock");  // left by the write above
    const std::string before = Slurp(path_);
    const auto stamp = std::filesystem::last_write_time(path_);

    // Payload (734003200 - 10256) >> 7 = 5734319.
    const LineCase cases[] = {
        // Video locked, no audio: the duration, 5734319 quo 1000.
        {"--settings", 0, Json(5734, 0, 1000, 700 * kMB, 1, true, "\"time\"")},
        // The stored lock cleared: the video rate, 5734319 quo 6300.
        {"--settings --lock none", 0, Json(6300, 0, 910, 700 * kMB, 1, true, "\"video\"")},
        // Audio given: "Aus" is off; video locked, so the size follows.
        {"--settings --audio 96", 0,
         Json(6300, 96, 1000, 1096 * 6300 * 128 + 10256, 1, false, "\"size\"")},
        // The stored range option off does not switch the limits off.
        {"--settings --video 0 --lock none", 0,
         Json(6300, 0, 1, 6300 * 128 + 10256, 1, true, "\"size\"")},
    };
    for (const LineCase& c : cases) {
        const Outcome r = RunCalc(std::string(c.args) + " --json");
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err, "") << c.args;
    }
    EXPECT_EQ(Slurp(path_), before);
    EXPECT_EQ(std::filesystem::last_write_time(path_), stamp);
    EXPECT_FALSE(std::filesystem::exists(path_ + ".lock"));
    EXPECT_TRUE(Litter().empty());
}

// Without a stored file the start is the window's first values.
TEST_F(TessarinCalcSettings, NoStoredFileStartsFromTheFirstValues) {
    const Outcome r = RunCalc("--settings --json");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Json(5400, 128, 1995, 1400 * kMB, 2, false, "\"video\""));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

}  // namespace
