// What the desktop is told about a running encode job, over D-Bus: while it
// runs, logind holds a "sleep" inhibitor in "block" mode for it and the task
// bar shows its progress (the LauncherEntry "Update" signal that task
// managers and docks read, for the program's desktop entry); at its end the
// inhibitor is released and the progress hidden, in every case; and a result
// can be shown as one desktop notification. Every request is sent without
// waiting; without a bus, or without the services, nothing happens and
// nothing is reported.
#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

class DesktopJob : public QObject {
public:
    explicit DesktopJob(QObject* parent = nullptr) : QObject(parent) {}
    // Releases the inhibitor and hides the progress if a job still runs.
    ~DesktopJob() override;

    void Started();
    // `fraction` of the whole job, 0 to 1; sent when the shown percentage changes.
    void Progressed(double fraction);
    void Ended();
    void Notify(const QString& summary, const QString& body);

    bool HoldsInhibitor() const { return m_inhibitor.isValid(); }

private:
    void SendProgress(double fraction, bool visible);

    bool m_running = false;
    int m_job = 0;  // counts the jobs, so that a late answer finds its own
    int m_shownPercent = -1;
    QDBusUnixFileDescriptor m_inhibitor;
};
