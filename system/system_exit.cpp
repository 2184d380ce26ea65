#include "system/system_exit.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <QVariant>

namespace {

constexpr char kLogind[] = "org.freedesktop.login1";
constexpr char kLogindPath[] = "/org/freedesktop/login1";
constexpr char kLogindManager[] = "org.freedesktop.login1.Manager";
constexpr char kLogindSession[] = "org.freedesktop.login1.Session";

// What each command asks of the system, in order. Log-off has no privilege
// step and no logind request of its own: it asks the desktop's session
// manager (below), so that the other programs may still save their work,
// and only when none is running asks logind to end the caller's session.
struct ExitSteps {
    SystemExit exit;
    const char* privilegeStep;  // logind query made first; its answer does not decide
    const char* request;        // logind method, called with interactive = true
};
constexpr ExitSteps kExitSteps[] = {
    {SystemExit::LogOff, nullptr, nullptr},
    {SystemExit::Restart, "CanReboot", "Reboot"},
    {SystemExit::PowerOff, "CanPowerOff", "PowerOff"},
};

// The desktops' log-outs without a confirmation dialog, tried in this order;
// the first whose running name is on the session bus is used.
struct SessionManager {
    const char* runningName;  // owned on the session bus while the desktop runs
    const char* service;      // receives the log-out; may be started on demand
    const char* path;
    const char* interface;
    const char* method;
    QVariantList (*arguments)();
};
// clang-format off
const SessionManager kSessionManagers[] = {
    // KDE Plasma: org.kde.Shutdown is the log-out without the prompt
    // (org.kde.LogoutPrompt is the one that asks); it closes the session
    // through ksmserver, which lets the programs save.
    {"org.kde.ksmserver", "org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", "logout",
     [] { return QVariantList(); }},
    // GNOME, and MATE, which answers under GNOME's name: mode 1 is "no
    // confirmation"; 2 would also override the programs' inhibitors.
    {"org.gnome.SessionManager", "org.gnome.SessionManager", "/org/gnome/SessionManager",
     "org.gnome.SessionManager", "Logout", [] { return QVariantList{QVariant(1u)}; }},
    // Xfce: show_dialog = false, allow_save = true.
    {"org.xfce.SessionManager", "org.xfce.SessionManager", "/org/xfce/SessionManager",
     "org.xfce.Session.Manager", "Logout", [] { return QVariantList{false, true}; }},
    // MATE releases that answer under their own name; the same modes.
    {"org.mate.SessionManager", "org.mate.SessionManager", "/org/mate/SessionManager",
     "org.mate.SessionManager", "Logout", [] { return QVariantList{QVariant(1u)}; }},
};
// clang-format on

QDBusMessage LogindCall(const char* method) {
    return QDBusMessage::createMethodCall(kLogind, kLogindPath, kLogindManager, method);
}

bool IsReply(const QDBusMessage& message) {
    return message.type() == QDBusMessage::ReplyMessage && !message.arguments().isEmpty();
}

}  // namespace

void SystemExitRequests::Request(SystemExit exit) {
    for (const ExitSteps& steps : kExitSteps) {
        if (steps.exit != exit) continue;
        if (!steps.privilegeStep) {
            LogOff();
            return;
        }
        // Whatever the privilege step answered, the request is made: polkit
        // may still ask the user, and a refusal is the system's to give. The
        // requests themselves are sent without waiting for an answer, which
        // may take as long as the user's authentication and decides nothing.
        const char* request = steps.request;
        EnableShutdownPrivilege(steps.privilegeStep, [request](bool) {
            QDBusMessage call = LogindCall(request);
            call << true;
            QDBusConnection::systemBus().send(call);
        });
        return;
    }
}

void SystemExitRequests::EnableShutdownPrivilege(const char* query,
                                                 std::function<void(bool)> then) {
    AwaitAnswer(true, LogindCall(query), [then = std::move(then)](const QDBusMessage& reply) {
        const QString answer = IsReply(reply) ? reply.arguments().first().toString() : QString();
        then(answer == QLatin1String("yes") || answer == QLatin1String("challenge"));
    });
}

void SystemExitRequests::LogOff() {
    const QDBusMessage listNames = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), "ListNames");
    AwaitAnswer(false, listNames, [this](const QDBusMessage& reply) {
        const QStringList names =
            IsReply(reply) ? reply.arguments().first().toStringList() : QStringList();
        for (const SessionManager& manager : kSessionManagers) {
            if (!names.contains(QLatin1String(manager.runningName))) continue;
            // A refusal (an inhibitor, a locked-down log-out) is final: logind
            // would end the session without letting the programs save.
            QDBusMessage logout = QDBusMessage::createMethodCall(manager.service, manager.path,
                                                                 manager.interface, manager.method);
            logout.setArguments(manager.arguments());
            QDBusConnection::sessionBus().send(logout);
            return;
        }
        TerminateOwnSession();
    });
}

void SystemExitRequests::TerminateOwnSession() {
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (!id.isEmpty()) {
        QDBusMessage call = LogindCall("TerminateSession");
        call << id;
        QDBusConnection::systemBus().send(call);
        return;
    }
    QDBusMessage bySelf = LogindCall("GetSessionByPID");
    bySelf << static_cast<uint>(QCoreApplication::applicationPid());
    AwaitAnswer(true, bySelf, [](const QDBusMessage& reply) {
        if (!IsReply(reply)) return;
        const QString path = reply.arguments().first().value<QDBusObjectPath>().path();
        if (path.isEmpty()) return;
        QDBusConnection::systemBus().send(QDBusMessage::createMethodCall(
            kLogind, path, kLogindSession, QStringLiteral("Terminate")));
    });
}

void SystemExitRequests::AwaitAnswer(bool systemBus, const QDBusMessage& call,
                                     std::function<void(const QDBusMessage&)> then) {
    const QDBusConnection bus =
        systemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, then = std::move(then)] {
        watcher->deleteLater();
        then(watcher->reply());
    });
}
