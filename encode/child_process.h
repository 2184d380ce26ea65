// Runs one program as a child process from an argument vector (never a
// shell), in a process group of its own that dies with us, and waits for it
// in every case. Its standard input is empty; its standard output is handed
// over line by line; the last lines of its error output are kept. A stop
// flag ends it: SIGTERM to its group, SIGKILL half a second later. It knows
// nothing of ffmpeg.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace encode {

struct ChildResult {
    int startErrno = 0;                  // the program could not be started: its errno
    bool exited = false;                 // it ended by itself...
    int exitStatus = -1;                 // ...with this status
    int signal = 0;                      // or by this signal
    bool stopped = false;                // ended because the stop flag was set
    std::vector<std::string> errorTail;  // the last lines of its error output
    bool Succeeded() const { return startErrno == 0 && exited && exitStatus == 0 && !stopped; }
};

// How many lines of the error output are kept.
inline constexpr std::size_t kErrorTailLines = 20;

// The path of `program`: itself when it holds a '/', else the first
// executable file of that name in the folders of PATH. Empty when none.
std::string FindProgram(const std::string& program);

// Runs `path` with `args` (args[0] is the name it sees) until it ends or
// `stop` becomes true; the flag is looked at every 100 ms. `onLine` gets each
// line of its standard output, without the line end.
ChildResult RunChild(const std::string& path, const std::vector<std::string>& args,
                     const std::atomic<bool>& stop,
                     const std::function<void(std::string_view)>& onLine);

}  // namespace encode
