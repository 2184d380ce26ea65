// The film probe for tessarin-calc, under a watchdog: the probe gives up a
// read that hangs at its deadline, but a read that the kernel itself blocks
// in (a hard-mounted network share that stopped answering) never comes
// back. The probe runs on a thread of its own, and is given up as TimedOut
// shortly after its deadline; the blocked thread ends with the process.
#pragma once

#include <chrono>
#include <string>

#include "media/film_probe.h"

namespace calc {

// What the watchdog grants beyond the probe's own deadline.
inline constexpr std::chrono::milliseconds kWatchdogGrace{500};

media::ProbeResult ProbeWatched(const std::string& path);

}  // namespace calc
