#include "encodedlg/desktop_job.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <cmath>

#include "core/version.h"

namespace {

QString AppId() {
    return QString::fromLatin1(version::kAppId);
}

}  // namespace

DesktopJob::~DesktopJob() {
    if (m_running) Ended();
}

void DesktopJob::Started() {
    m_running = true;
    const int job = ++m_job;
    m_shownPercent = -1;
    SendProgress(0, true);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Tessarin")
         << QStringLiteral("Ein Film wird kodiert") << QStringLiteral("block");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, job, watcher] {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
        // A job that has ended meanwhile drops the inhibitor with the reply.
        if (!reply.isError() && m_running && job == m_job) m_inhibitor = reply.value();
        watcher->deleteLater();
    });
}

void DesktopJob::Progressed(double fraction) {
    if (!m_running) return;
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
    if (percent != m_shownPercent) SendProgress(percent / 100.0, true);
    m_shownPercent = percent;
}

void DesktopJob::Ended() {
    m_running = false;
    ++m_job;
    m_inhibitor = QDBusUnixFileDescriptor();  // closes our end: logind lets go
    SendProgress(0, false);
}

void DesktopJob::SendProgress(double fraction, bool visible) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/de/orvanholt/tessarin"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    const QVariantMap properties{{QStringLiteral("progress"), fraction},
                                 {QStringLiteral("progress-visible"), visible}};
    update << QStringLiteral("application://%1.desktop").arg(AppId()) << properties;
    bus.send(update);
}

void DesktopJob::Notify(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), AppId()}};
    call << QStringLiteral("Tessarin") << 0u << AppId() << summary << body << QStringList() << hints
         << -1;
    // Nothing waits for the answer; a missing service shows nothing.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, &QObject::deleteLater);
}
