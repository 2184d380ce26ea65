#include "tools/calc_probe.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "media/libav.h"

namespace calc {

namespace {

// Shared with the probing thread, which may outlive the wait.
struct Watch {
    std::mutex lock;
    std::condition_variable done;
    std::optional<media::ProbeResult> result;
};

}  // namespace

media::ProbeResult ProbeWatched(const std::string& path) {
    // Loaded first: the deadline counts the reading, not the loading.
    if (media::LoadLibav() == nullptr) return media::ProbeFilm(path);
    auto watch = std::make_shared<Watch>();
    try {
        std::thread([watch, path] {
            const media::ProbeResult result = media::ProbeFilm(path);
            const std::lock_guard<std::mutex> locked(watch->lock);
            watch->result = result;
            watch->done.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the probe's own deadline still holds.
        return media::ProbeFilm(path);
    }
    std::unique_lock<std::mutex> locked(watch->lock);
    if (!watch->done.wait_for(locked, media::kProbeDeadline + kWatchdogGrace,
                              [&] { return watch->result.has_value(); })) {
        media::ProbeResult timedOut;
        timedOut.error = media::ProbeError::TimedOut;
        return timedOut;
    }
    return *watch->result;
}

}  // namespace calc
