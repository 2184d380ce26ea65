#include "mainwnd/film_reader.h"

#include <QMutex>
#include <QMutexLocker>
#include <system_error>
#include <thread>

// What the reading threads share with the reader: the latest request, and
// the reader while it lives (cleared under the lock before it goes).
struct FilmReader::Shared {
    QMutex lock;
    FilmReader* owner = nullptr;
    quint64 latest = 0;
};

FilmReader::FilmReader(QObject* parent, Done done)
    : QObject(parent), m_shared(std::make_shared<Shared>()), m_done(std::move(done)) {
    m_shared->owner = this;
}

FilmReader::~FilmReader() {
    QMutexLocker locked(&m_shared->lock);
    m_shared->owner = nullptr;
}

void FilmReader::Cancel() {
    QMutexLocker locked(&m_shared->lock);
    ++m_shared->latest;
    m_pending = false;
}

void FilmReader::Read(const QByteArray& path) {
    quint64 request = 0;
    {
        QMutexLocker locked(&m_shared->lock);
        request = ++m_shared->latest;
    }
    m_pending = true;
    std::shared_ptr<Shared> shared = m_shared;
    const std::string file = path.toStdString();
    try {
        // A thread of its own: a second drop while a read hangs on a stalled
        // mount starts at once.
        std::thread([shared, request, path, file] {
            const media::ProbeResult result = media::ProbeFilm(file);
            QMutexLocker locked(&shared->lock);
            if (!shared->owner || request != shared->latest) return;
            // Posted while the reader cannot go away; a posted call to a
            // reader that goes before it runs is discarded with it.
            FilmReader* owner = shared->owner;
            QMetaObject::invokeMethod(
                owner, [owner, request, path, result] { owner->Answer(request, path, result); },
                Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error&) {
        // Too many threads: answered as a read that failed, in the same way.
        media::ProbeResult failed;
        failed.error = media::ProbeError::NotReadable;
        QMetaObject::invokeMethod(
            this, [this, request, path, failed] { Answer(request, path, failed); },
            Qt::QueuedConnection);
    }
}

void FilmReader::Answer(quint64 request, const QByteArray& path, const media::ProbeResult& result) {
    {
        QMutexLocker locked(&m_shared->lock);
        if (request != m_shared->latest) return;
    }
    m_pending = false;
    m_done(path, result);
}
