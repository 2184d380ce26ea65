#include "system/system_exit.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
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

// What restart and power-off ask of logind when no session manager runs.
// Log-off has no privilege step and no logind request of its own: it ends
// the caller's session (TerminateOwnSession).
struct LogindSteps {
    SystemExit exit;
    const char* privilegeStep;  // logind query made first; its answer does not decide
    const char* request;        // logind method, called with interactive = true
};
constexpr LogindSteps kLogindSteps[] = {
    {SystemExit::Restart, "CanReboot", "Reboot"},
    {SystemExit::PowerOff, "CanPowerOff", "PowerOff"},
};

QVariantList NoArguments() {
    return {};
}

// One command as a session manager takes it.
struct ManagerCall {
    const char* method;
    // Asked, with the same arguments, only when the manager answers that it
    // does not know `method`; any other answer, a refusal or none, is final.
    const char* unknownFallback;
    QVariantList (*arguments)();
};

// The desktops' session managers, tried in this order; the first whose
// running name is on the session bus gets the request. Each ends the session
// by asking every program first, without a confirmation dialog where the
// desktop offers that.
struct SessionManager {
    const char* runningName;  // owned on the session bus while the desktop runs
    const char* service;      // receives the requests; may be started on demand
    const char* path;
    const char* interface;
    ManagerCall calls[3];  // log off, restart, power off, in SystemExit's order
};
// clang-format off
const SessionManager kSessionManagers[] = {
    // KDE Plasma: org.kde.Shutdown ends the session without the prompt
    // (org.kde.LogoutPrompt is the one that asks), through ksmserver, which
    // lets the programs save; the bus starts it on the first call.
    {"org.kde.ksmserver", "org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown",
     {{"logout", nullptr, NoArguments},
      {"logoutAndReboot", nullptr, NoArguments},
      {"logoutAndShutdown", nullptr, NoArguments}}},
    // GNOME, and MATE and Cinnamon, which answer under GNOME's name. Logout
    // mode 1 is "no confirmation"; 2 would also override the programs'
    // inhibitors. MATE and Cinnamon restart and power off without a dialog;
    // GNOME has no such call and shows its own dialog.
    {"org.gnome.SessionManager", "org.gnome.SessionManager", "/org/gnome/SessionManager",
     "org.gnome.SessionManager",
     {{"Logout", nullptr, [] { return QVariantList{QVariant(1u)}; }},
      {"RequestReboot", "Reboot", NoArguments},
      {"RequestShutdown", "Shutdown", NoArguments}}},
    // Xfce: no dialog; allow_save = true.
    {"org.xfce.SessionManager", "org.xfce.SessionManager", "/org/xfce/SessionManager",
     "org.xfce.Session.Manager",
     {{"Logout", nullptr, [] { return QVariantList{false, true}; }},
      {"Restart", nullptr, [] { return QVariantList{true}; }},
      {"Shutdown", nullptr, [] { return QVariantList{true}; }}}},
    // LXQt: no dialog; its methods never reply.
    {"org.lxqt.session", "org.lxqt.session", "/LXQtSession", "org.lxqt.session",
     {{"logout", nullptr, NoArguments},
      {"reboot", nullptr, NoArguments},
      {"powerOff", nullptr, NoArguments}}},
};
// clang-format on

QDBusMessage LogindCall(const char* method) {
    return QDBusMessage::createMethodCall(kLogind, kLogindPath, kLogindManager, method);
}

QDBusMessage ManagerMessage(const SessionManager& manager, const char* method,
                            const ManagerCall& call) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(manager.service, manager.path, manager.interface, method);
    message.setArguments(call.arguments());
    return message;
}

bool IsReply(const QDBusMessage& message) {
    return message.type() == QDBusMessage::ReplyMessage && !message.arguments().isEmpty();
}

bool IsUnknownMethod(const QDBusMessage& answer) {
    if (answer.type() != QDBusMessage::ErrorMessage) return false;
    const QDBusError::ErrorType type = QDBusError(answer).type();
    return type == QDBusError::UnknownMethod || type == QDBusError::UnknownInterface;
}

}  // namespace

void SystemExitRequests::Request(SystemExit exit) {
    const QDBusMessage listNames = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), "ListNames");
    AwaitAnswer(false, listNames, [this, exit](const QDBusMessage& reply) {
        const QStringList names =
            IsReply(reply) ? reply.arguments().first().toStringList() : QStringList();
        for (const SessionManager& manager : kSessionManagers) {
            if (!names.contains(QLatin1String(manager.runningName))) continue;
            // A refusal (an inhibitor, a locked-down log-out) is final: logind
            // would end every program with a signal, without letting it save.
            const ManagerCall& call = manager.calls[static_cast<int>(exit)];
            if (!call.unknownFallback) {
                QDBusConnection::sessionBus().send(ManagerMessage(manager, call.method, call));
                return;
            }
            AwaitAnswer(false, ManagerMessage(manager, call.method, call),
                        [target = &manager, asked = &call](const QDBusMessage& answer) {
                            if (!IsUnknownMethod(answer)) return;
                            QDBusConnection::sessionBus().send(
                                ManagerMessage(*target, asked->unknownFallback, *asked));
                        });
            return;
        }
        AskLogind(exit);
    });
}

void SystemExitRequests::AskLogind(SystemExit exit) {
    for (const LogindSteps& steps : kLogindSteps) {
        if (steps.exit != exit) continue;
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
    TerminateOwnSession();
}

void SystemExitRequests::EnableShutdownPrivilege(const char* query,
                                                 std::function<void(bool)> then) {
    AwaitAnswer(true, LogindCall(query), [then = std::move(then)](const QDBusMessage& reply) {
        const QString answer = IsReply(reply) ? reply.arguments().first().toString() : QString();
        then(answer == QLatin1String("yes") || answer == QLatin1String("challenge"));
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
