#include "settings/settings_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

namespace settings {

namespace {

// How long a save waits for another saver's lock, and how often it looks.
constexpr int kLockWaitMs = 5000;
constexpr int kLockPollMs = 10;

SysCallHook& Hook() {
    static SysCallHook hook;
    return hook;
}

// Runs the hook for `call`; true when the call is to fail (errno is set).
bool Injected(const char* call) {
    if (!Hook()) return false;
    const int err = Hook()(call);
    if (err == 0) return false;
    errno = err;
    return true;
}

// The system calls used, each behind the hook and repeated on EINTR.
template <typename F>
auto Sys(const char* call, F f) -> decltype(f()) {
    if (Injected(call)) return -1;
    decltype(f()) r;
    do {
        r = f();
    } while (r < 0 && errno == EINTR);
    return r;
}

// close() behind the hook, made once: Linux releases the descriptor even when
// close() reports EINTR, and a second close() could hit a file that another
// thread has opened under the same number meanwhile. The files closed this
// way have been fsync()ed (or are given up anyway), so EINTR loses nothing and
// counts as closed.
int SysClose(const char* call, int fd) {
    if (Injected(call)) return -1;
    if (::close(fd) == 0 || errno == EINTR) return 0;
    return -1;
}

RegResult FromErrno(int err) {
    switch (err) {
        case EACCES:
        case EPERM:
        case EROFS:
            return kAccessDenied;
        case ENOSPC:
        case EDQUOT:
            return kDiskFull;
        case ENOENT:
        case ENOTDIR:
            return kPathNotFound;
        default:
            return kCantWrite;
    }
}

void Diagnose(const std::string& path, const std::string& what) {
    std::fprintf(stderr, "tessarin: settings file %s: %s\n", path.c_str(), what.c_str());
}

std::string ErrnoText(const char* doing, int err) {
    return std::string(doing) + ": " + std::strerror(err);
}

std::string Dirname(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string Basename(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CloseQuietly(int fd) {
    if (fd >= 0) ::close(fd);
}

// Creates the missing folders of `dir` (mode 0700, as for a configuration
// folder of one user) and makes each new entry durable in its parent.
bool MakeDirs(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    if (errno != ENOENT) return false;
    const std::string parent = Dirname(dir);
    if (parent != dir && !MakeDirs(parent)) return false;
    if (Sys("mkdir", [&] { return ::mkdir(dir.c_str(), 0700); }) != 0 && errno != EEXIST)
        return false;
    const int pfd = Sys("open parent",
                        [&] { return ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (pfd >= 0) {
        Sys("fsync parent", [&] { return ::fsync(pfd); });
        ::close(pfd);
    }
    return true;
}

struct OpenedFile {
    LoadedRegFile loaded;
    std::string target;  // the regular file behind the path (links followed)
    bool exists = false;
    mode_t mode = 0;
};

OpenedFile Load(const std::string& path) {
    OpenedFile out;
    LoadedRegFile& r = out.loaded;
    out.target = path;
    auto unusable = [&](RegResult code, std::string why) {
        r.kind = LoadedRegFile::kUnusable;
        r.error = code;
        r.reason = std::move(why);
        return std::move(out);
    };
    struct stat st {};
    if (Sys("lstat", [&] { return ::lstat(path.c_str(), &st); }) != 0) {
        if (errno == ENOENT) return out;  // the first run: nothing stored yet
        return unusable(FromErrno(errno), ErrnoText("cannot look at it", errno));
    }
    if (S_ISLNK(st.st_mode)) {
        char* resolved = Injected("realpath") ? nullptr : ::realpath(path.c_str(), nullptr);
        if (resolved == nullptr) return unusable(kCantWrite, ErrnoText("bad link", errno));
        out.target = resolved;
        std::free(resolved);
    }
    // O_NONBLOCK: a FIFO in its place must not hang the program.
    const int fd = Sys("open", [&] {
        return ::open(out.target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    });
    if (fd < 0) {
        if (errno == ENOENT) return out;
        return unusable(FromErrno(errno), ErrnoText("cannot open", errno));
    }
    if (Sys("fstat", [&] { return ::fstat(fd, &st); }) != 0) {
        const int err = errno;
        ::close(fd);
        return unusable(FromErrno(err), ErrnoText("cannot look at it", err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return unusable(kCantWrite, "not a regular file");
    }
    out.exists = true;
    out.mode = st.st_mode & 07777;
    r.kind = LoadedRegFile::kRead;
    std::string bytes;
    bool tooBig = static_cast<std::uint64_t>(st.st_size) > kMaxRegFileBytes;
    if (!tooBig) {
        // Read one byte more than allowed to notice a file that has grown.
        bytes.resize(kMaxRegFileBytes + 1);
        std::size_t have = 0;
        while (have < bytes.size()) {
            const ssize_t n =
                Sys("read", [&] { return ::read(fd, bytes.data() + have, bytes.size() - have); });
            if (n < 0) {
                const int err = errno;
                ::close(fd);
                return unusable(FromErrno(err), ErrnoText("cannot read", err));
            }
            if (n == 0) break;
            have += static_cast<std::size_t>(n);
        }
        bytes.resize(have);
        tooBig = have > kMaxRegFileBytes;
    }
    ::close(fd);
    if (tooBig) {
        r.parsed.errorCount = 1;
        r.parsed.firstError = "larger than 1 MiB, not read";
        r.reason = r.parsed.firstError;
        return out;
    }
    r.parsed = ParseRegFile(bytes);
    if (r.parsed.Damaged()) {
        r.reason = "line " + std::to_string(r.parsed.firstErrorLine) + ": " + r.parsed.firstError +
                   " (" + std::to_string(r.parsed.errorCount) + " unreadable lines ignored)";
    }
    return out;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = Sys("write", [&] { return ::write(fd, data.data(), data.size()); });
        if (n < 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

// Keeps the damaged file under a new name before it is replaced: a hard link
// costs nothing and keeps even a huge file whole; where links are not
// possible, a copy.
bool KeepAside(const std::string& target, std::string* kept) {
    const std::string base = target + ".bad-" + TimeStamp();
    for (int i = 0; i < 100; ++i) {
        *kept = i == 0 ? base : base + "-" + std::to_string(i);
        if (Sys("link", [&] { return ::link(target.c_str(), kept->c_str()); }) == 0) return true;
        if (errno == EEXIST) continue;
        const int in = Sys("open", [&] { return ::open(target.c_str(), O_RDONLY | O_CLOEXEC); });
        if (in < 0) return false;
        const int out = Sys("open copy", [&] {
            return ::open(kept->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        });
        if (out < 0) {
            const bool again = errno == EEXIST;
            ::close(in);
            if (again) continue;
            return false;
        }
        bool ok = true;
        char buf[65536];
        for (;;) {
            const ssize_t n = Sys("read", [&] { return ::read(in, buf, sizeof buf); });
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            if (!WriteAll(out, std::string_view(buf, static_cast<std::size_t>(n)))) {
                ok = false;
                break;
            }
        }
        ok = ok && Sys("fsync", [&] { return ::fsync(out); }) == 0;
        ::close(in);
        ok = SysClose("close", out) == 0 && ok;
        if (!ok) ::unlink(kept->c_str());
        return ok;
    }
    return false;
}

// Temporary files are only made while the lock is held, so one found under
// the lock was left by a saver that died. Its name carries the saver's process
// id; a file of a process that still runs is left alone in case that process
// reached the same file through another path (and so another lock).
void RemoveStaleTemps(const std::string& dir, const std::string& prefix) {
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(d)) {
        if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        const long pid = std::strtol(e->d_name + prefix.size(), nullptr, 10);
        if (pid <= 0 || pid > INT_MAX) continue;
        if (pid == ::getpid() || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
            stale.emplace_back(e->d_name);
    }
    ::closedir(d);
    for (const std::string& name : stale)
        ::unlink((dir + "/" + name).c_str());
}

// Saves under the lock, which the caller holds.
RegResult SaveLocked(const std::string& path, const std::function<void(RegFile&)>& modify) {
    OpenedFile old = Load(path);
    if (old.loaded.kind == LoadedRegFile::kUnusable) {
        Diagnose(path, "not saved: " + old.loaded.reason);
        return old.loaded.error;
    }
    RegFile content = std::move(old.loaded.parsed.file);
    modify(content);
    const std::string text = WriteRegFile(content);
    if (text.size() > kMaxRegFileBytes) {
        // It could not be read back: refuse rather than lose everything later.
        Diagnose(path, "not saved: the settings would exceed 1 MiB");
        return kCantWrite;
    }

    // A file the user may not write stays as it is, although the folder
    // would let a new file take its place.
    if (old.exists && Sys("access", [&] {
                          return ::faccessat(AT_FDCWD, old.target.c_str(), W_OK, AT_EACCESS);
                      }) != 0) {
        const int err = errno;
        Diagnose(path, "not saved: " + ErrnoText("the file may not be written", err));
        return FromErrno(err);
    }

    const std::string dir = Dirname(old.target);
    const std::string tempPrefix = Basename(old.target) + ".tmp-";
    RemoveStaleTemps(dir, tempPrefix);

    if (old.exists && old.loaded.parsed.Damaged()) {
        std::string kept;
        if (!KeepAside(old.target, &kept)) {
            const int err = errno;
            Diagnose(path, "not saved: " + ErrnoText("cannot keep the damaged file", err));
            return FromErrno(err);
        }
        Diagnose(path, old.loaded.reason + "; kept as " + kept);
    }

    static unsigned counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp =
            dir + "/" + tempPrefix + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        fd = Sys("open temp", [&] {
            return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        });
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        const int err = errno;
        Diagnose(path, "not saved: " + ErrnoText("cannot create a temporary file", err));
        return FromErrno(err);
    }
    auto fail = [&](const char* doing) {
        const int err = errno;
        CloseQuietly(fd);
        ::unlink(temp.c_str());
        Diagnose(path, std::string("not saved: ") + ErrnoText(doing, err));
        return FromErrno(err);
    };
    if (old.exists && Sys("fchmod", [&] { return ::fchmod(fd, old.mode); }) != 0)
        return fail("cannot set the mode");
    if (!WriteAll(fd, text)) return fail("cannot write");
    if (Sys("fsync", [&] { return ::fsync(fd); }) != 0) return fail("cannot flush");
    const int closed = SysClose("close", fd);
    fd = -1;
    if (closed != 0) return fail("cannot close");
    if (Sys("rename", [&] { return ::rename(temp.c_str(), old.target.c_str()); }) != 0)
        return fail("cannot replace the old file");
    const int dfd =
        Sys("open dir", [&] { return ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    const bool synced = dfd >= 0 && Sys("fsync dir", [&] { return ::fsync(dfd); }) == 0;
    const int err = errno;
    CloseQuietly(dfd);
    if (!synced) {
        // The new file is in place but may not survive a power cut.
        Diagnose(path, ErrnoText("saved, but the folder could not be flushed", err));
        return FromErrno(err);
    }
    return kSuccess;
}

}  // namespace

LoadedRegFile LoadRegFile(const std::string& path) {
    return Load(path).loaded;
}

RegResult SaveRegFile(const std::string& path, const std::function<void(RegFile&)>& modify) {
    if (path.empty()) return kPathNotFound;
    if (!MakeDirs(Dirname(path))) {
        const int err = errno;
        Diagnose(path, "not saved: " + ErrnoText("cannot create its folder", err));
        return FromErrno(err);
    }
    const std::string lockPath = path + ".lock";
    const int lock = Sys("open lock", [&] {
        return ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    });
    if (lock < 0) {
        const int err = errno;
        Diagnose(path, "not saved: " + ErrnoText("cannot open the lock file", err));
        return FromErrno(err);
    }
    // Another saver holds the lock for milliseconds; one that holds it for
    // seconds is stuck, and waiting for it would freeze the window.
    int locked = -1;
    for (int waitedMs = 0;; waitedMs += kLockPollMs) {
        locked = Sys("flock", [&] { return ::flock(lock, LOCK_EX | LOCK_NB); });
        if (locked == 0 || errno != EWOULDBLOCK || waitedMs >= kLockWaitMs) break;
        ::usleep(kLockPollMs * 1000);
    }
    if (locked != 0) {
        const int err = errno;
        ::close(lock);
        Diagnose(path, "not saved: " + ErrnoText("cannot lock", err));
        return FromErrno(err);
    }
    const RegResult r = SaveLocked(path, modify);
    ::close(lock);  // releases the lock
    return r;
}

std::string SettingsPathFrom(const char* xdgConfigHome, const char* home, const char* passwdHome) {
    std::string base;
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
        base = xdgConfigHome;
    } else if (home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.config";
    } else if (passwdHome != nullptr && passwdHome[0] == '/') {
        base = std::string(passwdHome) + "/.config";
    } else {
        return {};
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    if (base == "/") base.clear();
    return base + "/Orvanholt/Tessarin.reg";
}

std::string DefaultSettingsPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::string passwdHome;
    if ((xdg == nullptr || xdg[0] != '/') && (home == nullptr || home[0] != '/')) {
        long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buf(size > 0 ? static_cast<std::size_t>(size) : 16384);
        passwd pw{};
        passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
            found->pw_dir != nullptr) {
            passwdHome = found->pw_dir;
        }
    }
    return SettingsPathFrom(xdg, home, passwdHome.c_str());
}

void ReportSettingsFileProblem(const std::string& path, const std::string& what) {
    Diagnose(path, what);
}

void SetSysCallHookForTesting(SysCallHook hook) {
    Hook() = std::move(hook);
}

}  // namespace settings
