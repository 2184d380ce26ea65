// Turns the progress of one step (a share of the film done by one ffmpeg
// run) into the progress of the whole job: each step weighs what it is
// expected to cost, a step added later (a corrected second pass) shares what
// is left, the fraction never goes back, and the time left is the time so
// far over the share done. It runs nothing itself.
#pragma once

#include <chrono>
#include <deque>
#include <utility>

#include "encode/encode_job.h"

namespace encode {

class ProgressMeter {
public:
    using Clock = std::chrono::steady_clock;

    ProgressMeter(const EncodeJob::ProgressFn& report, Clock::time_point start);

    // The steps still to come with their weights; they share what is not
    // done yet, in proportion.
    void Plan(const std::deque<std::pair<Step, double>>& steps);
    // The next planned step begins (`attempt` for a second pass).
    void Begin(Step step, int attempt = 0);
    // The current step has done `share` (0 to 1) at `fps` frames a second.
    void Update(double share, double fps, Clock::time_point now);
    void Update(double share, double fps) { Update(share, fps, Clock::now()); }

    double Fraction() const { return m_fraction; }

private:
    EncodeJob::ProgressFn m_report;
    Clock::time_point m_start;
    std::deque<std::pair<Step, double>> m_plan;  // weights as shares of the whole job
    Progress m_current;
    double m_base = 0;    // where the current step started
    double m_weight = 0;  // the current step's share
    double m_fraction = 0;
};

}  // namespace encode
