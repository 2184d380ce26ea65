// The probe on small films made at test time, and on files that are none.
#include "media/film_probe.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "tests/media/test_films.h"

namespace {

using media::ProbeError;

class FilmProbe : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dir_ = test_films::Make(); }
    static void TearDownTestSuite() { test_films::Remove(dir_); }
    void SetUp() override { ASSERT_FALSE(dir_.empty()) << "ffmpeg could not make the films"; }
    static std::string Path(const char* name) { return dir_ + "/" + name; }
    static std::string dir_;
};
std::string FilmProbe::dir_;

struct FilmCase {
    const char* name;
    int64_t seconds;
    int width, height;
    double fps;
    bool audio;
};

// Rounded up: 10.0 s stays 10, 10.4 s (10.53 s with the last sound frame) is
// 11, 3.2 s are 4.
const FilmCase kFilms[] = {
    {"video10.mkv", 10, 64, 48, 25, false},  {"video10.mp4", 10, 64, 48, 25, false},
    {"both.mkv", 11, 64, 48, 25, true},      {"both.mp4", 11, 64, 48, 25, true},
    {"both.ts", 11, 64, 48, 25, true},  // no length in the header: from the time stamps
    {"ntsc.mkv", 2, 320, 240, 29.97, false}, {"sound.m4a", 4, 0, 0, 0, true},
    {"sound.wav", 5, 0, 0, 0, true},
};

TEST_F(FilmProbe, FilmsTellTheirDurationPictureAndSound) {
    for (const FilmCase& c : kFilms) {
        std::ifstream in(Path(c.name), std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
        const media::ProbeResult results[] = {media::ProbeFilm(Path(c.name)),
                                              media::ProbeFilmBytes(bytes.data(), bytes.size())};
        for (const media::ProbeResult& r : results) {
            ASSERT_EQ(r.error, ProbeError::None) << c.name;
            EXPECT_EQ(r.facts.durationSeconds, c.seconds) << c.name;
            EXPECT_EQ(r.facts.hasVideo, c.width > 0) << c.name;
            EXPECT_EQ(r.facts.width, c.width) << c.name;
            EXPECT_EQ(r.facts.height, c.height) << c.name;
            EXPECT_NEAR(r.facts.fps, c.fps, 0.01) << c.name;
            EXPECT_EQ(r.facts.hasAudio, c.audio) << c.name;
        }
    }
}

TEST_F(FilmProbe, EveryOtherFileIsNamedForWhatItIs) {
    const std::pair<const char*, ProbeError> cases[] = {
        {"missing.mkv", ProbeError::Missing},
        {"notes.mkv/film.mkv", ProbeError::Missing},
        {"folder.mkv", ProbeError::Folder},
        {"empty.mkv", ProbeError::Empty},
        {"notes.mkv", ProbeError::NotAFilm},
        {"random.mkv", ProbeError::NotAFilm},
        {"cover.png", ProbeError::NotAFilm},
        // Its segments are films, but the probe opens no other file.
        {"playlist.m3u8", ProbeError::NotAFilm},
        {"sound.aac", ProbeError::NoDuration},
        {"video.h264", ProbeError::NoDuration},
        {"live.mkv", ProbeError::NoDuration},
        {"loop.mkv", ProbeError::NotReadable},  // a symlink loop
    };
    for (const auto& [name, error] : cases) {
        const media::ProbeResult r = media::ProbeFilm(Path(name));
        EXPECT_EQ(r.error, error) << name;
        EXPECT_EQ(r.facts.durationSeconds, 0) << name;
    }
    EXPECT_EQ(media::ProbeFilm("").error, ProbeError::Missing);
    EXPECT_EQ(media::ProbeFilmBytes(nullptr, 0).error, ProbeError::Empty);
}

// Root reads any file, so as root the probe runs as "nobody" in a child.
TEST_F(FilmProbe, AFileWithoutReadPermissionIsNamedSo) {
    const std::string path = Path("locked.mkv");
    if (geteuid() != 0) {
        EXPECT_EQ(media::ProbeFilm(path).error, ProbeError::NoPermission);
        return;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
        _exit(static_cast<int>(media::ProbeFilm(path).error));
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(ProbeError::NoPermission));
}

// A pipe that gives the start of a film and then nothing, like a network
// share that stopped answering: the probe gives up at its deadline.
TEST_F(FilmProbe, AReadThatHangsIsGivenUpAtTheDeadline) {
    const std::string fifo = Path("stalled.mkv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Read and write, so that opening it waits for no reader.
    const int writer = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    std::ifstream in(Path("video10.mkv"), std::ios::binary);
    char start[64];
    in.read(start, sizeof start);
    ASSERT_EQ(write(writer, start, sizeof start), 64);

    const auto before = std::chrono::steady_clock::now();
    const media::ProbeResult r = media::ProbeFilm(fifo);
    const auto took = std::chrono::steady_clock::now() - before;
    close(writer);
    EXPECT_EQ(r.error, ProbeError::TimedOut);
    EXPECT_GE(took, media::kProbeDeadline);
    EXPECT_LT(took, media::kProbeDeadline + std::chrono::seconds(2));
}

// A disc that wakes up: the first byte comes after eight seconds, the rest
// at once. Read on the first try.
TEST_F(FilmProbe, AFirstByteAfterEightSecondsIsWaitedFor) {
    const std::string fifo = Path("waking.mkv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    signal(SIGPIPE, SIG_IGN);  // the probe stops reading after the headers
    std::thread writer([&] {
        std::ifstream in(Path("video10.mkv"), std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        const int fd = open(fifo.c_str(), O_WRONLY);
        std::this_thread::sleep_for(std::chrono::seconds(8));
        // Waits for the reader to take it all, or to go.
        (void)!write(fd, bytes.data(), bytes.size());
        close(fd);
    });
    const media::ProbeResult r = media::ProbeFilm(fifo);
    writer.join();
    EXPECT_EQ(r.error, ProbeError::None);
    EXPECT_EQ(r.facts.durationSeconds, 10);
}

// The window probes on worker threads: probes at the same time agree with
// one alone.
TEST_F(FilmProbe, ProbesOnSeveralThreadsAtOnceAgree) {
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int& w : wrong) {
        threads.emplace_back([&w] {
            for (int round = 0; round < 5; ++round) {
                for (const FilmCase& c : kFilms) {
                    const media::ProbeResult r = media::ProbeFilm(Path(c.name));
                    w +=
                        !r.Ok() || r.facts.durationSeconds != c.seconds || r.facts.width != c.width;
                }
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(FilmProbeSentence, NamesTheFileAndTheProblem) {
    EXPECT_EQ(media::ErrorSentence(ProbeError::NotAFilm, "film.mkv"),
              "film.mkv: not a film or sound file");
    std::vector<std::string> seen;
    for (int e = 1; e <= static_cast<int>(ProbeError::NoLibrary); ++e) {
        const std::string s = media::ErrorSentence(static_cast<ProbeError>(e), "a b.mkv");
        EXPECT_TRUE(s.starts_with("a b.mkv: ")) << s;
        EXPECT_EQ(s.find('\n'), std::string::npos) << s;
        for (const std::string& other : seen)
            EXPECT_NE(s, other);
        seen.push_back(s);
    }
    // One line whatever the name holds; a Latin-1 byte stays as it is.
    EXPECT_EQ(media::ErrorSentence(ProbeError::Missing, "a\nb\tc\x1b[2J\xc2\x9b\xe9.mkv"),
              "a\\nb\\tc\\x1b[2J\\u009b\xe9.mkv: no such file");
}

}  // namespace
