// tessarin-calc --encode as scripts run it: the built program on a tiny film
// made at test time, with the real ffmpeg or a stand-in found first on PATH;
// its outputs, files and exit status, also when a signal ends it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "encode/child_process.h"
#include "tests/encode/stand_in_ffmpeg.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// Runs the program with `args`; with `path` as PATH when given; `signal` is
// sent once `ready` holds.
Result RunCalc(std::vector<std::string> args, const std::string& path = "", int signal = 0,
               const std::function<bool()>& ready = {}) {
    args.insert(args.begin(), TESSARIN_CALC);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string tmp = fs::temp_directory_path();
    std::string outPath = tmp + "/calc-encode-out-XXXXXX",
                errPath = tmp + "/calc-encode-err-XXXXXX";
    const int outFd = mkstemp(outPath.data()), errFd = mkstemp(errPath.data());
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        if (!path.empty()) setenv("PATH", path.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (signal != 0) {
        for (int i = 0; i < 3000 && !ready(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        kill(pid, signal);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    close(outFd);
    close(errFd);
    Result r{WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, Slurp(outPath), Slurp(errPath)};
    fs::remove(outPath);
    fs::remove(errPath);
    return r;
}

class CalcEncode : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        films_ = fs::temp_directory_path() / "calc-encode-films-XXXXXX";
        if (mkdtemp(films_.data()) == nullptr) return;
        ffmpeg_ = encode::FindProgram("ffmpeg");
        const std::vector<std::string> args = {"ffmpeg",
                                               "-v",
                                               "error",
                                               "-f",
                                               "lavfi",
                                               "-i",
                                               "testsrc2=duration=6:size=160x90:rate=25",
                                               "-f",
                                               "lavfi",
                                               "-i",
                                               "sine=duration=6",
                                               "-c:v",
                                               "mpeg4",
                                               "-q:v",
                                               "3",
                                               "-c:a",
                                               "aac",
                                               films_ + "/film.mkv"};
        const std::atomic<bool> never{false};
        made_ = encode::RunChild(ffmpeg_, args, never, [](std::string_view) {}).Succeeded();
    }
    static void TearDownTestSuite() { fs::remove_all(films_); }
    void SetUp() override {
        ASSERT_TRUE(made_) << "ffmpeg could not make the film";
        out_ = fs::temp_directory_path() / "calc-encode-out-XXXXXX";
        ASSERT_NE(mkdtemp(out_.data()), nullptr);
    }
    void TearDown() override {
        fs::remove_all(out_);
        fs::remove_all(out_ + "-bin");
    }

    // Six seconds with 32 kBit/s of sound, in two parts of 40,000 bytes
    // unless `size` and `parts` say otherwise.
    std::vector<std::string> Args(const std::string& output, std::vector<std::string> more = {},
                                  const char* size = "80000B", const char* parts = "2") const {
        std::vector<std::string> a = {"--duration-of", films_ + "/film.mkv",
                                      "--size",        size,
                                      "--parts",       parts,
                                      "--audio",       "32",
                                      "--preset",      "ultrafast",
                                      "--encode",      out_ + "/" + output};
        a.insert(a.end(), more.begin(), more.end());
        return a;
    }
    // A PATH whose ffmpeg is a stand-in (stand_in_ffmpeg.h), in a folder
    // of its own `name`.
    std::string StandInPath(const std::string& name, const std::string& then) const {
        const std::string bin = out_ + "-bin/" + name;
        fs::create_directories(bin);
        stand_in::Write(bin + "/ffmpeg", ffmpeg_, then);
        return bin + ":" + std::getenv("PATH");
    }
    std::size_t Left() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(out_), {}));
    }

    static std::string films_, ffmpeg_;
    static bool made_;
    std::string out_;
};
std::string CalcEncode::films_, CalcEncode::ffmpeg_;
bool CalcEncode::made_ = false;

TEST_F(CalcEncode, ListsEachFileAfterTheCalculation) {
    Result r = RunCalc(Args("film.mkv"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("Quelle:             " + films_ + "/film.mkv\n")) << r.out;
    const std::size_t files = r.out.find("Status:             Geprüft\nDatei 1:            ");
    ASSERT_NE(files, std::string::npos) << r.out;
    for (const char* name : {"film.part1.mkv", "film.part2.mkv"}) {
        const std::string path = out_ + "/" + name;
        const std::string row =
            path + ", " + std::to_string(fs::file_size(path)) + " von 40.000 Byte\n";
        // Grouped as the calculation groups: 39.876.
        std::string grouped = row;
        grouped.insert(grouped.find(", ") + 4, ".");
        EXPECT_NE(r.out.find(grouped), std::string::npos) << r.out;
    }
    EXPECT_NE(r.out.find("\nVideo kodiert:      "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nLäufe 2. Durchgang: "), std::string::npos) << r.out;
    // Not a terminal: plain progress lines.
    EXPECT_TRUE(r.err.starts_with("tessarin-calc: pass 1 0 %")) << r.err;
    EXPECT_NE(r.err.find("tessarin-calc: pass 2 "), std::string::npos) << r.err;

    r = RunCalc(Args("film.mp4", {"--json"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string part1 = out_ + "/film.part1.mp4";
    EXPECT_NE(r.out.find(",\"encode\":{\"files\":[{\"file\":\"" + part1 +
                         "\",\"bytes\":" + std::to_string(fs::file_size(part1)) +
                         ",\"capacity\":40000},{\"file\":\"" + out_ + "/film.part2.mp4\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"left_out\":[],\"with_audio\":true}}\n"), std::string::npos) << r.out;
    EXPECT_EQ(Left(), 4u);
}

TEST_F(CalcEncode, ExitStatusSaysWhatHappened) {
    std::ofstream(out_ + "/there.mkv") << "mine";
    const std::string begun = stand_in::kBegun;
    const struct {
        std::vector<std::string> args;
        std::string path;  // empty: this PATH
        int status;
        const char* said;
    } cases[] = {
        {Args("f.mkv", {"--no-limits", "--video", "-1"}), "", 2, "not checked"},
        {Args("f.mkv", {}, "6000B"), "", 2, "audio at 4 kBit/s: AAC needs at least 8 kBit/s"},
        {Args("f.mkv", {}, "30000B"), "", 2, "the plan's video rate, 1 kBit/s, is below H.264's"},
        {Args("there.mkv", {}, "80000B", "1"), "", 2, "there.mkv exists already; --force"},
        {Args("f.avi"), "", 2, "must end in .mkv or .mp4"},
        {Args("f.mkv"), "/nonexistent", 2, "install the Debian package ffmpeg"},
        {Args("f.mkv"), StandInPath("fails", begun + "echo 'Conversion failed!' >&2; exit 1"), 3,
         "ffmpeg failed in the second pass: it ended with status 1\nConversion failed!\n"},
        {Args("f.mkv"), StandInPath("over", stand_in::kTwentyTimesTheRate), 1, "does not fit"},
    };
    for (const auto& c : cases) {
        const Result r = RunCalc(c.args, c.path);
        EXPECT_EQ(r.status, c.status) << c.said;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        // The calculation stays on standard output; nothing more is left.
        EXPECT_TRUE(r.out.starts_with("Quelle:")) << r.out;
        EXPECT_EQ(r.out.find("Datei"), std::string::npos) << r.out;
        EXPECT_EQ(Left(), 1u) << c.said;
    }
    EXPECT_EQ(Slurp(out_ + "/there.mkv"), "mine");
}

TEST_F(CalcEncode, DryRunPrintsTheCommandsAndWritesNothing) {
    const Result r = RunCalc(Args("dry run.mkv", {"--dry-run", "--codec", "h265"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string last = "Status:             Geprüft\n";
    const std::string commands = r.out.substr(r.out.find(last) + last.size());
    std::vector<std::string> lines;
    std::istringstream in(commands);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u) << commands;  // two passes (the sound in the first), the cut
    for (const std::string& line : lines)
        EXPECT_TRUE(line.starts_with(ffmpeg_ + " -hide_banner")) << line;
    EXPECT_NE(lines[0].find(" -c:v libx265 -b:v "), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(" -preset ultrafast -x265-params "), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(" -c:a aac -b:a 32768 "), std::string::npos) << lines[0];
    EXPECT_NE(lines[2].find(" -f segment "), std::string::npos) << lines[2];
    // A name with a blank is one word for the shell.
    EXPECT_NE(lines[1].find(" 'file:" + out_ + "/.dry run.mkv.tessarin-XXXXXX/encoded1.mkv'"),
              std::string::npos)
        << lines[1];
    EXPECT_EQ(Left(), 0u);
}

TEST_F(CalcEncode, ASignalEndsTheJobAndLeavesNothing) {
    const std::string path = StandInPath("hangs", std::string(stand_in::kBegun) + "exec sleep 30");
    // The second pass has begun once its output is there.
    const auto begun = [&] {
        for (const auto& e : fs::recursive_directory_iterator(out_)) {
            if (e.path().filename() == "encoded1.mkv") return true;
        }
        return false;
    };
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        const Result r = RunCalc(Args("f.mkv"), path, signal, begun);
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_NE(r.err.find("tessarin-calc: cancelled\n"), std::string::npos) << r.err;
        EXPECT_EQ(Left(), 0u);
    }
}

}  // namespace
