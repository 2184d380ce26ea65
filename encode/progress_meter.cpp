#include "encode/progress_meter.h"

#include <algorithm>

namespace encode {

ProgressMeter::ProgressMeter(const EncodeJob::ProgressFn& report, Clock::time_point start)
    : m_report(report), m_start(start) {}

void ProgressMeter::Plan(const std::deque<std::pair<Step, double>>& steps) {
    double total = 0;
    for (const auto& s : steps)
        total += s.second;
    // The current step keeps what it has done; the rest is shared out.
    const double left = 1 - m_fraction;
    m_plan.clear();
    for (const auto& [step, weight] : steps)
        m_plan.emplace_back(step, total > 0 ? left * weight / total : 0);
    m_base = m_fraction;
    m_weight = 0;
}

void ProgressMeter::Begin(Step step, int attempt) {
    m_base = m_fraction;
    m_weight = 0;
    if (!m_plan.empty()) {
        m_weight = m_plan.front().second;
        m_plan.pop_front();
    }
    m_current.step = step;
    m_current.attempt = attempt;
    m_current.fraction = m_fraction;
    m_current.fps = 0;
    if (m_report) m_report(m_current);
}

void ProgressMeter::Update(double share, double fps, Clock::time_point now) {
    const double f = std::min(1.0, m_base + m_weight * std::clamp(share, 0.0, 1.0));
    m_fraction = std::max(m_fraction, f);
    m_current.fraction = m_fraction;
    m_current.fps = fps > 0 ? fps : 0;
    const double elapsed = std::chrono::duration<double>(now - m_start).count();
    // Before one percent the guess would be noise.
    m_current.secondsLeft = m_fraction >= 0.01 ? elapsed * (1 - m_fraction) / m_fraction : -1;
    if (m_report) m_report(m_current);
}

}  // namespace encode
