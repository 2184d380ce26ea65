// Asks the running desktop to log the user off, restart or power off the
// machine, over D-Bus, and returns at once: every answer is awaited in the
// event loop, none decides more than the next step, and every failure is
// silent. While a desktop session manager runs, all three go to it, so that
// every program is asked first and may save or object; logind is asked only
// when none runs. It neither ends the program nor saves anything; that is
// left to the session. Each Request is a request of its own, even while an
// earlier one is still pending.
#pragma once

#include <QObject>
#include <functional>

class QDBusMessage;

enum class SystemExit { LogOff, Restart, PowerOff };

class SystemExitRequests : public QObject {
public:
    // Longest wait for an answer that only chooses the next step (the look
    // for a session manager, whether it knows the restart or power-off
    // without a dialog, the privilege step, the own session's path); then
    // the next step is taken as if the answer had been "no".
    static constexpr int kAnswerTimeoutMs = 3000;

    explicit SystemExitRequests(QObject* parent = nullptr) : QObject(parent) {}

    void Request(SystemExit exit);

private:
    // The requests when no session manager runs.
    void AskLogind(SystemExit exit);
    // Asks logind whether restart or power-off is allowed (`query` is
    // CanReboot or CanPowerOff); `then` gets true exactly for "yes" and
    // "challenge" (allowed after authentication).
    void EnableShutdownPrivilege(const char* query, std::function<void(bool)> then);
    void TerminateOwnSession();
    // Sends `call` and calls `then` with the reply, or with an error after
    // kAnswerTimeoutMs; a call that never returns cannot hold anything up.
    void AwaitAnswer(bool systemBus, const QDBusMessage& call,
                     std::function<void(const QDBusMessage&)> then);
};
