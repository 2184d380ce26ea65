#include "encode/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <thread>

namespace encode {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMilliseconds = 100;
constexpr auto kTermGrace = std::chrono::milliseconds(500);
// A line longer than this is cut: the tail is for reading, not a log.
constexpr std::size_t kLongestLine = 1000;

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// Splits what a pipe delivers into lines.
class LineSplitter {
public:
    template <typename F>
    void Add(const char* data, std::size_t n, F&& onLine) {
        for (std::size_t i = 0; i < n; ++i) {
            if (data[i] == '\n' || data[i] == '\r') {
                if (!m_line.empty()) onLine(std::string_view(m_line));
                m_line.clear();
            } else if (m_line.size() < kLongestLine) {
                m_line += data[i];
            }
        }
    }
    template <typename F>
    void Finish(F&& onLine) {
        if (!m_line.empty()) onLine(std::string_view(m_line));
        m_line.clear();
    }

private:
    std::string m_line;
};

// In the child between fork and exec: async-signal-safe calls only.
[[noreturn]] void StartInChild(pid_t parent, const char* path, char* const* argv, int in, int out,
                               int err, int report) {
    setpgid(0, 0);
    // Ended with us, even when we are killed.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Ignored signals would stay ignored across exec.
    for (const int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        signal(s, SIG_DFL);
    if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
        const int e = errno;
        (void)!write(report, &e, sizeof e);
        _exit(127);
    }
    execv(path, argv);
    const int e = errno;
    (void)!write(report, &e, sizeof e);
    _exit(127);
}

// Waits for the child (not at all with WNOHANG in `options`); false when
// it has not ended yet.
bool Reap(pid_t pid, ChildResult& r, int options = 0) {
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid, &status, options)) < 0 && errno == EINTR) {
    }
    if (done == 0) return false;
    r.exited = done > 0 && WIFEXITED(status);
    r.exitStatus = r.exited ? WEXITSTATUS(status) : -1;
    r.signal = done > 0 && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return true;
}

}  // namespace

std::string FindProgram(const std::string& program) {
    const auto runnable = [](const std::string& p) {
        struct stat st {};
        return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(p.c_str(), X_OK) == 0;
    };
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos) return runnable(program) ? program : std::string();
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = rest.find(':');
        std::string dir(rest.substr(0, colon));
        if (dir.empty()) dir = ".";
        if (const std::string candidate = dir + "/" + program; runnable(candidate))
            return candidate;
        if (colon == std::string_view::npos) return {};
        rest.remove_prefix(colon + 1);
    }
}

ChildResult RunChild(const std::string& path, const std::vector<std::string>& args,
                     const std::atomic<bool>& stop,
                     const std::function<void(std::string_view)>& onLine) {
    ChildResult r;
    std::vector<std::string> owned(args);
    std::vector<char*> argv;
    for (std::string& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2] = {-1, -1}, err[2] = {-1, -1}, report[2] = {-1, -1};
    int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (in < 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 ||
        pipe2(report, O_CLOEXEC) != 0) {
        r.startErrno = errno;
        for (int* fd : {&in, &out[0], &out[1], &err[0], &err[1], &report[0], &report[1]})
            CloseFd(*fd);
        return r;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) StartInChild(parent, path.c_str(), argv.data(), in, out[1], err[1], report[1]);
    const int forkErrno = errno;
    for (int* fd : {&in, &out[1], &err[1], &report[1]})
        CloseFd(*fd);
    if (pid < 0) {
        r.startErrno = forkErrno;
        for (int* fd : {&out[0], &err[0], &report[0]})
            CloseFd(*fd);
        return r;
    }
    // Also here, so that the group exists before we might signal it.
    setpgid(pid, pid);
    // Closed by a successful exec; an errno otherwise.
    int execErrno = 0;
    ssize_t got = 0;
    while ((got = read(report[0], &execErrno, sizeof execErrno)) < 0 && errno == EINTR) {
    }
    CloseFd(report[0]);
    if (got == static_cast<ssize_t>(sizeof execErrno)) {
        r.startErrno = execErrno != 0 ? execErrno : ENOEXEC;
        CloseFd(out[0]);
        CloseFd(err[0]);
        Reap(pid, r);
        return r;
    }

    std::deque<std::string> tail;
    const auto keepTail = [&](std::string_view line) {
        tail.emplace_back(line);
        if (tail.size() > kErrorTailLines) tail.pop_front();
    };
    LineSplitter outLines, errLines;
    Clock::time_point killAt = Clock::time_point::max();
    bool killed = false;
    while (out[0] >= 0 || err[0] >= 0) {
        if (stop.load() && !r.stopped) {
            r.stopped = true;
            killpg(pid, SIGTERM);
            killAt = Clock::now() + kTermGrace;
        }
        if (!killed && Clock::now() >= killAt) {
            killpg(pid, SIGKILL);
            killed = true;
        }
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        const int n = poll(fds, 2, r.stopped ? 20 : kPollMilliseconds);
        if (n < 0 && errno != EINTR) break;
        for (int i = 0; i < 2 && n > 0; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t k = read(fds[i].fd, buffer, sizeof buffer);
            if (k < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (k <= 0) {
                if (i == 0) {
                    outLines.Finish(onLine);
                    CloseFd(out[0]);
                } else {
                    errLines.Finish(keepTail);
                    CloseFd(err[0]);
                }
            } else if (i == 0) {
                outLines.Add(buffer, static_cast<std::size_t>(k), onLine);
            } else {
                errLines.Add(buffer, static_cast<std::size_t>(k), keepTail);
            }
        }
    }
    CloseFd(out[0]);
    CloseFd(err[0]);
    // The pipes are closed; the child may still be ending. Until it is
    // reaped, its number (and so its group's) cannot be given to another.
    bool reaped = false;
    if (r.stopped && !killed) {
        while (!(reaped = Reap(pid, r, WNOHANG)) && Clock::now() < killAt)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!reaped) killpg(pid, SIGKILL);
    }
    if (!reaped) Reap(pid, r);
    r.errorTail.assign(tail.begin(), tail.end());
    return r;
}

}  // namespace encode
