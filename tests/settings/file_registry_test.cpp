#include "settings/file_registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "settings/stored_settings.h"
#include "temp_config.h"

using namespace settings;

namespace {

constexpr char kKeyPath[] = "Software\\Orvanholt\\Tessarin";
const std::string kSection = "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin]\n";

using FileRegistryTest = TempConfig;

// One save of one value through the store.
RegResult SaveOne(const std::string& path, std::string_view name, std::uint64_t value) {
    FileRegistry reg(path);
    RegKey key = 0;
    if (const RegResult e = reg.CreateKey(kCurrentUser, kKeyPath, &key)) return e;
    reg.SetValue(key, name, kRegBinary, &value, 8);
    return reg.CloseKey(key);
}

std::vector<std::string> BadCopies(const std::string& dir) {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string n = e.path().filename();
        if (n.rfind("Tessarin.reg.bad-", 0) == 0) found.push_back(e.path());
    }
    return found;
}

TEST_F(FileRegistryTest, QueryReadsOnlyTheExactLength) {
    Put(path_, "REGEDIT4\n" + kSection +
                   "\"Empty\"=hex:\n\"One\"=hex(0):05\n\"Dword\"=dword:01020304\n"
                   "\"Str\"=\"abc\"\n\"Nine\"=hex:01,02,03,04,05,06,07,08,09\n\"Gone\"=-\n");
    FileRegistry reg(path_);
    RegKey key = 0;
    ASSERT_EQ(reg.OpenKey(kCurrentUser, kKeyPath, &key), kSuccess);
    const struct {
        const char* name;
        std::uint32_t length;
        RegResult result;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"One", 1, kSuccess, {5}},  // any type, exact length
        {"One", 8, kInvalidData, {}},
        {"Dword", 1, kMoreData, {}},
        {"Dword", 4, kSuccess, {4, 3, 2, 1}},
        {"Dword", 8, kInvalidData, {}},
        {"Str", 4, kSuccess, {'a', 'b', 'c', 0}},
        {"Nine", 8, kMoreData, {}},
        {"Empty", 0, kSuccess, {}},
        {"Empty", 1, kInvalidData, {}},
        {"Gone", 1, kFileNotFound, {}},
        {"Missing", 1, kFileNotFound, {}},
        {"dWORD", 4, kSuccess, {4, 3, 2, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.length));
        std::uint8_t buf[16];
        std::memset(buf, 0xEE, sizeof buf);
        EXPECT_EQ(reg.QueryValue(key, c.name, buf, c.length), c.result);
        for (std::size_t i = 0; i < sizeof buf; ++i) {
            const int want = i < c.bytes.size() ? c.bytes[i] : 0xEE;  // untouched on failure
            EXPECT_EQ(buf[i], want) << "byte " << i;
        }
    }
    EXPECT_EQ(reg.CloseKey(key), kSuccess);
    EXPECT_EQ(reg.CloseKey(key), kInvalidHandle);
    std::uint8_t b = 0;
    EXPECT_EQ(reg.QueryValue(key, "One", &b, 1), kInvalidHandle);
}

TEST_F(FileRegistryTest, OpeningNeedsAnExistingKey) {
    FileRegistry reg(path_);
    RegKey key = 0, sub = 0;
    EXPECT_EQ(reg.OpenKey(kCurrentUser, kKeyPath, &key), kFileNotFound);  // no file yet
    Put(path_, "REGEDIT4\n" + kSection);
    ASSERT_EQ(reg.OpenKey(kCurrentUser, kKeyPath, &key), kSuccess);
    EXPECT_EQ(reg.OpenKey(key, "Timesettings", &sub), kFileNotFound);
    ASSERT_EQ(reg.OpenKey(kCurrentUser, "software\\ORVANHOLT", &sub), kSuccess);  // a parent
    EXPECT_EQ(reg.CloseKey(sub), kSuccess);
    for (const char* bad : {"\\A", "A\\", "A\\\\B", "A\nB"}) {
        EXPECT_EQ(reg.OpenKey(key, bad, &sub), kInvalidParameter) << bad;
        EXPECT_EQ(reg.CreateKey(key, bad, &sub), kInvalidParameter) << bad;
    }
    EXPECT_EQ(reg.SetValue(key, "A\rB", kRegBinary, "", 0), kInvalidParameter);
    EXPECT_EQ(reg.CloseKey(key), kSuccess);
}

TEST_F(FileRegistryTest, ChangesAreSavedAsOneReplacementWhenTheLastHandleCloses) {
    int renames = 0;
    SetSysCallHookForTesting([&](const char* call) {
        renames += std::strcmp(call, "rename") == 0;
        return 0;
    });
    FileRegistry reg(path_);
    RegKey key = 0, sub = 0;
    ASSERT_EQ(reg.CreateKey(kCurrentUser, kKeyPath, &key), kSuccess);
    const std::uint8_t one = 1;
    reg.SetValue(key, "A", kRegBinary, &one, 1);
    ASSERT_EQ(reg.CreateKey(key, "Sub", &sub), kSuccess);
    reg.SetValue(sub, "B", kRegBinary, &one, 1);
    std::uint8_t b = 0;
    EXPECT_EQ(reg.QueryValue(sub, "B", &b, 1), kSuccess);  // a handle sees its own changes
    EXPECT_EQ(reg.CloseKey(sub), kSuccess);
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_EQ(reg.CloseKey(key), kSuccess);
    EXPECT_EQ(renames, 1);
    EXPECT_EQ(Slurp(path_), "REGEDIT4\n\n" + kSection + "\"A\"=hex:01\n\n" +
                                "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Sub]\n"
                                "\"B\"=hex:01\n\n");

    EXPECT_EQ(WriteStoredSettings(reg, FilmModel(), StoredControls()), kSuccess);
    EXPECT_EQ(renames, 2);

    // A reader keeps seeing the file as it was when it opened the key.
    RegKey reader = 0;
    ASSERT_EQ(reg.OpenKey(kCurrentUser, kKeyPath, &reader), kSuccess);
    ASSERT_EQ(SaveOne(path_, "A", 7), kSuccess);
    EXPECT_EQ(reg.QueryValue(reader, "A", &b, 1), kSuccess);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(reg.CloseKey(reader), kSuccess);
    EXPECT_EQ(renames, 3);  // closing after reading saves nothing
}

TEST_F(FileRegistryTest, ContentThatTheProgramDoesNotKnowSurvivesASave) {
    const std::string before =
        "Windows Registry Editor Version 5.00\n"
        "; my own notes\n"
        "\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
        "@=\"default \\\"quoted\\\" C:\\\\dir\"\n"
        "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\n"
        "\n" +
        kSection +
        "; keep this\n"
        "\"AutoRange\"=hex:01\n"
        "\"Mine\"=dword:deadbeef\n"
        "\"Old\"=-\n"
        "\"Q\"=hex(b):01,02,03,04,05,06,07,08\n"
        "\n[-HKEY_CURRENT_USER\\Software\\Orvanholt\\Gone]\n"
        "\n";
    Put(path_, before);
    ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
    ASSERT_EQ(SaveOne(path_, "AutoRange", 0x0201), kSuccess);
    struct stat st {};
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);  // the replacement keeps the file's mode
    std::string expected = before;
    const std::string from = "\"AutoRange\"=hex:01\n";
    expected.replace(expected.find(from), from.size(),
                     "\"AutoRange\"=hex:01,02,00,00,00,00,00,00\n");
    EXPECT_EQ(Slurp(path_), expected);
}

TEST_F(FileRegistryTest, PlacesThatAreNotAFileReadAsMissingAndAreNotReplaced) {
    const std::string dir = root_ + "/config/Orvanholt";
    const struct {
        const char* what;
        std::function<int()> setUp;  // 0 on success
        bool parentIsFile;
    } cases[] = {
        {"directory", [&] { return mkdir(path_.c_str(), 0700); }, false},
        {"dangling link", [&] { return symlink("nowhere", path_.c_str()); }, false},
        {"link loop", [&] { return symlink("Tessarin.reg", path_.c_str()); }, false},
        {"FIFO", [&] { return mkfifo(path_.c_str(), 0600); }, false},
        {"parent is a file",
         [&] {
             Put(root_ + "/plain", "x");
             return setenv("XDG_CONFIG_HOME", (root_ + "/plain").c_str(), 1);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ASSERT_EQ(c.setUp(), 0);
        const std::string path = DefaultSettingsPath();
        struct stat before {};
        ASSERT_EQ(lstat(path.c_str(), &before) == 0, !c.parentIsFile);

        FileRegistry reg(path);
        FilmModel model;
        model.audioRate = 77;
        StoredControls controls;
        EXPECT_EQ(ReadStoredSettings(reg, model, controls), kFileNotFound);
        EXPECT_EQ(model.audioRate, 77);
        EXPECT_NE(WriteStoredSettings(reg, model, controls), kSuccess);

        struct stat after {};
        EXPECT_EQ(lstat(path.c_str(), &after) == 0, !c.parentIsFile);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_TRUE(Litter().empty());
    }
}

TEST_F(FileRegistryTest, LinkToAFileIsFollowed) {
    std::filesystem::create_directories(root_ + "/dotfiles");
    const std::string target = root_ + "/dotfiles/Tessarin.reg";
    Put(target, "REGEDIT4\n" + kSection + "\"Other\"=hex:05\n");
    ASSERT_EQ(symlink(target.c_str(), path_.c_str()), 0);
    ASSERT_EQ(SaveOne(path_, "New", 1), kSuccess);
    EXPECT_TRUE(std::filesystem::is_symlink(path_));
    const RegParseResult r = ParseRegFile(Slurp(target));
    EXPECT_FALSE(r.Damaged());
    ASSERT_NE(r.file.Find(kSection.substr(1, kSection.size() - 3)), nullptr);
    EXPECT_EQ(r.file.sections[0].values.size(), 2u);
}

TEST_F(FileRegistryTest, DamagedFileKeepsItsReadableValuesAndIsKeptAside) {
    const std::string good = "REGEDIT4\n" + kSection + "\"AutoRange\"=hex:00\n";
    const struct {
        const char* what;
        std::string bytes;
        std::uint64_t sparseSize;
        bool autoRangeRead;
    } cases[] = {
        {"binary garbage", good + std::string("\0\x01\xfe\x80", 4) + "\n\"Zz\"=hex:1", 0, true},
        {"truncated", good + "\"Long\"=hex:01,02,\\\n", 0, true},
        {"100 MB", "", 100u << 20, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(root_ + "/config/Orvanholt");
        std::filesystem::create_directories(root_ + "/config/Orvanholt");
        Put(path_, c.bytes);
        if (c.sparseSize != 0) {
            ASSERT_EQ(truncate(path_.c_str(), static_cast<off_t>(c.sparseSize)), 0);
        }

        int reads = 0;
        SetSysCallHookForTesting([&](const char* call) {
            reads += std::strcmp(call, "read") == 0;
            return 0;
        });
        FileRegistry reg(path_);
        FilmModel model;
        StoredControls controls;
        const RegResult readResult = ReadStoredSettings(reg, model, controls);
        EXPECT_EQ(readResult, c.autoRangeRead ? kSuccess : kFileNotFound);
        EXPECT_EQ(model.autoRange, c.autoRangeRead ? 0 : 1);
        if (c.sparseSize != 0) {
            EXPECT_EQ(reads, 0);  // too big to be read at all
        }
        SetSysCallHookForTesting(nullptr);

        model.videoRate = 4242;
        ASSERT_EQ(WriteStoredSettings(reg, model, controls), kSuccess);
        const std::vector<std::string> kept = BadCopies(root_ + "/config/Orvanholt");
        ASSERT_EQ(kept.size(), 1u);
        if (c.sparseSize != 0) {
            EXPECT_EQ(std::filesystem::file_size(kept[0]), c.sparseSize);
        } else {
            EXPECT_EQ(Slurp(kept[0]), c.bytes);
        }
        FilmModel reread;
        EXPECT_FALSE(ParseRegFile(Slurp(path_)).Damaged());
        ASSERT_EQ(ReadStoredSettings(reg, reread, controls), kSuccess);
        EXPECT_EQ(reread.videoRate, 4242);
        EXPECT_EQ(reread.autoRange, model.autoRange);
        // Saving the now sound file keeps no further copy.
        ASSERT_EQ(WriteStoredSettings(reg, model, controls), kSuccess);
        EXPECT_EQ(BadCopies(root_ + "/config/Orvanholt").size(), 1u);
    }
}

// Runs `body` as a user without privileges: root may read and write any
// file, so as root it runs in a child that has become "nobody", with the test's
// folders opened up to it. True when `body` returned true.
bool AsUnprivilegedUser(const std::string& root, const std::function<bool()>& body) {
    if (geteuid() != 0) return body();
    for (const std::string& dir : {root, root + "/config", root + "/config/Orvanholt"}) {
        if (chmod(dir.c_str(), 0777) != 0) return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
        _exit(dropped && body() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// An unreadable file is neither read nor replaced; a read-only one is read
// but not replaced, although its folder would let a new file take its place.
TEST_F(FileRegistryTest, FilesTheUserMayNotWriteStayAsTheyAre) {
    const std::string content = "REGEDIT4\n" + kSection + "\"AutoRange\"=hex:00\n";
    const struct {
        mode_t mode;
        RegResult read;
        std::int32_t autoRange;
    } cases[] = {{0, kFileNotFound, 1}, {0444, kSuccess, 0}};
    for (const auto& c : cases) {
        Put(path_, content);
        ASSERT_EQ(chmod(path_.c_str(), c.mode), 0);
        EXPECT_TRUE(AsUnprivilegedUser(
            root_,
            [&] {
                FileRegistry reg(path_);
                FilmModel model;
                StoredControls controls;
                return ReadStoredSettings(reg, model, controls) == c.read &&
                       model.autoRange == c.autoRange &&
                       WriteStoredSettings(reg, model, controls) == kAccessDenied;
            }))
            << std::oct << c.mode;
        ASSERT_EQ(chmod(path_.c_str(), 0600), 0);
        EXPECT_EQ(Slurp(path_), content);
    }
}

// A saver that holds the lock for good makes a save fail after a while
// instead of freezing the program; the file stays as it was.
TEST_F(FileRegistryTest, AStuckLockHolderMakesTheSaveFailNotHang) {
    ASSERT_EQ(SaveOne(path_, "A", 1), kSuccess);
    const std::string before = Slurp(path_);
    const int holder = open((path_ + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    EXPECT_NE(SaveOne(path_, "B", 2), kSuccess);
    close(holder);
    EXPECT_EQ(Slurp(path_), before);
    EXPECT_EQ(SaveOne(path_, "B", 2), kSuccess);  // free again
}

TEST_F(FileRegistryTest, SettingsThatCouldNotBeReadBackAreNotSaved) {
    ASSERT_EQ(SaveOne(path_, "A", 1), kSuccess);
    const std::string before = Slurp(path_);
    FileRegistry reg(path_);
    RegKey key = 0;
    ASSERT_EQ(reg.CreateKey(kCurrentUser, kKeyPath, &key), kSuccess);
    const std::vector<std::uint8_t> huge(kMaxRegFileBytes / 3, 0xAB);
    reg.SetValue(key, "Huge", kRegBinary, huge.data(), static_cast<std::uint32_t>(huge.size()));
    EXPECT_EQ(reg.CloseKey(key), kCantWrite);
    EXPECT_EQ(Slurp(path_), before);
}

TEST(SettingsPathTest, FollowsTheConfigurationFolderRules) {
    const struct {
        const char *xdg, *home, *passwd, *expected;
    } cases[] = {
        {"/x", "/h", "/p", "/x/Orvanholt/Tessarin.reg"},
        {"/x/", "/h", "/p", "/x/Orvanholt/Tessarin.reg"},
        {"", "/h", "/p", "/h/.config/Orvanholt/Tessarin.reg"},
        {nullptr, "/h", "/p", "/h/.config/Orvanholt/Tessarin.reg"},
        {"relative", "/h", "/p", "/h/.config/Orvanholt/Tessarin.reg"},
        {nullptr, "", "/p", "/p/.config/Orvanholt/Tessarin.reg"},
        {nullptr, "relative", "/p", "/p/.config/Orvanholt/Tessarin.reg"},
        {nullptr, nullptr, "/p", "/p/.config/Orvanholt/Tessarin.reg"},
        {nullptr, nullptr, "", ""},
        {"/", nullptr, nullptr, "/Orvanholt/Tessarin.reg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsPathFrom(c.xdg, c.home, c.passwd), c.expected)
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }
}

TEST(SettingsPathTest, WithoutHomeThePasswdEntryIsUsed) {
    const char* home = getenv("HOME");
    const std::string saved = home ? home : "";
    unsetenv("HOME");
    unsetenv("XDG_CONFIG_HOME");
    const std::string path = DefaultSettingsPath();  // only computed, never used
    if (home) setenv("HOME", saved.c_str(), 1);
    const std::string tail = "/.config/Orvanholt/Tessarin.reg";
    ASSERT_GT(path.size(), tail.size());
    EXPECT_EQ(path.substr(path.size() - tail.size()), tail);

    FileRegistry nowhere("");
    FilmModel model;
    StoredControls controls;
    EXPECT_EQ(WriteStoredSettings(nowhere, model, controls), kPathNotFound);
    EXPECT_EQ(ReadStoredSettings(nowhere, model, controls), kPathNotFound);
}

// Makes the n-th system call of the save fail, for every n, and checks that a
// failed save leaves the old file and no temporary files behind.
TEST_F(FileRegistryTest, FailureOfAnySystemCallLeavesTheOldFile) {
    ASSERT_EQ(SaveOne(path_, "Value", 1), kSuccess);
    const std::string oldFile = Slurp(path_);
    int failAt = 0;
    for (failAt = 1; failAt < 200; ++failAt) {
        SCOPED_TRACE(failAt);
        int calls = 0;
        std::string failed;
        SetSysCallHookForTesting([&](const char* call) {
            if (++calls != failAt) return 0;
            failed = call;
            return EIO;
        });
        const RegResult r = SaveOne(path_, "Value", 2);
        SetSysCallHookForTesting(nullptr);
        if (failed.empty()) {
            EXPECT_EQ(r, kSuccess);
            EXPECT_NE(Slurp(path_), oldFile);
            break;
        }
        SCOPED_TRACE(failed);
        EXPECT_NE(r, kSuccess);
        if (failed == "open dir" || failed == "fsync dir") {
            Put(path_, oldFile);  // the new file was already in place
        } else {
            EXPECT_EQ(Slurp(path_), oldFile);
        }
        EXPECT_TRUE(Litter().empty());
    }
    EXPECT_GT(failAt, 10);
}

// Ends a saving child process just before each of its system calls in turn:
// the file is always the complete old or the complete new one, and the next
// save clears what the dead one left.
TEST_F(FileRegistryTest, KillDuringASaveLeavesTheOldOrTheNewFile) {
    ASSERT_EQ(SaveOne(path_, "Value", 1), kSuccess);
    const std::string oldFile = Slurp(path_);
    ASSERT_EQ(SaveOne(path_, "Value", 2), kSuccess);
    const std::string newFile = Slurp(path_);
    int killAt = 1;
    for (; killAt < 200; ++killAt) {
        SCOPED_TRACE(killAt);
        Put(path_, oldFile);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int calls = 0;
            SetSysCallHookForTesting([&](const char*) {
                if (++calls == killAt) _exit(99);
                return 0;
            });
            _exit(SaveOne(path_, "Value", 2) == kSuccess ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        const std::string now = Slurp(path_);
        EXPECT_TRUE(now == oldFile || now == newFile) << now;
        if (WEXITSTATUS(status) == 0) break;
        ASSERT_EQ(WEXITSTATUS(status), 99);
    }
    EXPECT_GT(killAt, 10);
    EXPECT_EQ(Slurp(path_), newFile);
    EXPECT_TRUE(Litter().empty());
}

// Two processes save in a loop at the same time, each its own counter and a
// shared value; a third reads all the while. Every read sees a complete file
// and no save loses the other's changes.
TEST_F(FileRegistryTest, TwoProcessesSavingAtOnce) {
    constexpr std::uint64_t kSaves = 40;
    pid_t children[2];
    for (int id = 0; id < 2; ++id) {
        children[id] = fork();
        ASSERT_GE(children[id], 0);
        if (children[id] == 0) {
            bool ok = true;
            for (std::uint64_t i = 1; i <= kSaves; ++i) {
                FileRegistry reg(path_);
                RegKey key = 0;
                ok = ok && reg.CreateKey(kCurrentUser, kKeyPath, &key) == kSuccess;
                const std::uint64_t shared = static_cast<std::uint64_t>(id) + 100;
                reg.SetValue(key, id == 0 ? "Count0" : "Count1", kRegBinary, &i, 8);
                reg.SetValue(key, "Shared", kRegBinary, &shared, 8);
                ok = ok && reg.CloseKey(key) == kSuccess;
            }
            _exit(ok ? 0 : 1);
        }
    }
    int running = 2, incomplete = 0;
    while (running > 0) {
        const LoadedRegFile f = LoadRegFile(path_);
        incomplete += f.kind == LoadedRegFile::kUnusable || f.parsed.Damaged();
        int status = 0;
        const pid_t done = waitpid(-1, &status, WNOHANG);
        if (done > 0) {
            --running;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    }
    EXPECT_EQ(incomplete, 0);
    FileRegistry reg(path_);
    RegKey key = 0;
    ASSERT_EQ(reg.OpenKey(kCurrentUser, kKeyPath, &key), kSuccess);
    std::uint64_t count0 = 0, count1 = 0, shared = 0;
    EXPECT_EQ(reg.QueryValue(key, "Count0", &count0, 8), kSuccess);
    EXPECT_EQ(reg.QueryValue(key, "Count1", &count1, 8), kSuccess);
    EXPECT_EQ(reg.QueryValue(key, "Shared", &shared, 8), kSuccess);
    EXPECT_EQ(count0, kSaves);
    EXPECT_EQ(count1, kSaves);
    EXPECT_TRUE(shared == 100 || shared == 101) << shared;
    EXPECT_EQ(reg.CloseKey(key), kSuccess);
}

}  // namespace
