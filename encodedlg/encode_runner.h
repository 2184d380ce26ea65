// Runs one encode job at a time on a thread of its own and reports to the
// thread that owns the runner, through queued calls: each progress report,
// then the outcome. Cancelling works at any time and ends the job within
// about a second (the job's promise); the runner's destruction cancels a
// job still running and waits for it, so that nothing it writes is left.
#pragma once

#include <QObject>
#include <memory>

#include "encode/encode_job.h"

class QThread;

class EncodeRunner : public QObject {
    Q_OBJECT

public:
    explicit EncodeRunner(QObject* parent = nullptr);
    ~EncodeRunner() override;

    // Starts the job `request`; false while a job still runs.
    bool Start(const encode::JobSpec& request);
    bool Running() const { return m_thread != nullptr; }
    // Asks the running job to end; its outcome still arrives (Cancelled,
    // unless it had just ended otherwise).
    void Cancel();
    // Cancels and blocks until the job's thread has ended; the outcome is
    // then delivered before this returns.
    void CancelAndWait();

Q_SIGNALS:
    void progressed(const encode::Progress& progress);
    void finished(const encode::Outcome& outcome);

private:
    void OnThreadDone(const encode::Outcome& outcome);

    std::unique_ptr<encode::EncodeJob> m_job;  // one per run: a cancelled job stays cancelled
    QThread* m_thread = nullptr;
};
