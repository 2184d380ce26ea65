// Reads a film file's facts off the window's thread and hands the result
// back on it. Only the latest request is answered: a result of an earlier
// one that arrives later is dropped. Destroying the reader drops every
// result still on its way without waiting: a read under way ends by itself,
// on its own thread, bounded by the probe's deadline unless the kernel holds
// it (a hard-mounted share), which must not hold up the program's end.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "media/film_probe.h"

class FilmReader : public QObject {
public:
    using Done = std::function<void(const QString& path, const media::ProbeResult& result)>;

    FilmReader(QObject* parent, Done done);
    ~FilmReader() override;

    void Read(const QString& path);
    // Whether a request has not been answered yet.
    bool Pending() const { return m_pending; }

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    Done m_done;
    bool m_pending = false;
};
