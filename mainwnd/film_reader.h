// Reads a film file's facts off the window's thread and hands the result
// back on it. Only the latest request is answered: a result of an earlier
// one that arrives later is dropped, and so is every result still on its
// way once the reader is cancelled or destroyed, without waiting: a read
// under way ends by itself, on its own thread, bounded by the probe's
// deadline unless the kernel holds it (a hard-mounted share), which must
// hold up neither the window nor the program's end.
#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>

#include "media/film_probe.h"

class FilmReader : public QObject {
public:
    using Done = std::function<void(const QByteArray& path, const media::ProbeResult& result)>;

    FilmReader(QObject* parent, Done done);
    ~FilmReader() override;

    // `path` as the file system names it: bytes, not always UTF-8. When no
    // thread can be started for the read, the answer is a read error.
    void Read(const QByteArray& path);
    // Drops the answer of every request made so far.
    void Cancel();
    // Whether a request has not been answered yet.
    bool Pending() const { return m_pending; }

private:
    void Answer(quint64 request, const QByteArray& path, const media::ProbeResult& result);

    struct Shared;
    std::shared_ptr<Shared> m_shared;
    Done m_done;
    bool m_pending = false;
};
