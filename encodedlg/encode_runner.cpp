#include "encodedlg/encode_runner.h"

#include <QCoreApplication>
#include <QThread>

EncodeRunner::EncodeRunner(QObject* parent) : QObject(parent) {}

EncodeRunner::~EncodeRunner() {
    if (!m_thread) return;
    m_job->Cancel();
    m_thread->wait();
    delete m_thread;
}

bool EncodeRunner::Start(const encode::JobSpec& request) {
    if (m_thread) return false;
    m_job = std::make_unique<encode::EncodeJob>();
    encode::EncodeJob* job = m_job.get();
    m_thread = QThread::create([this, job, request] {
        const encode::Outcome outcome = job->Run(request, [this](const encode::Progress& p) {
            QMetaObject::invokeMethod(
                this, [this, p] { Q_EMIT progressed(p); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this, [this, outcome] { OnThreadDone(outcome); }, Qt::QueuedConnection);
    });
    m_thread->start();
    return true;
}

void EncodeRunner::Cancel() {
    if (m_thread) m_job->Cancel();
}

void EncodeRunner::CancelAndWait() {
    if (!m_thread) return;
    m_job->Cancel();
    m_thread->wait();
    // The outcome was queued last; deliver it, and the progress before it, now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void EncodeRunner::OnThreadDone(const encode::Outcome& outcome) {
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    Q_EMIT finished(outcome);
}
