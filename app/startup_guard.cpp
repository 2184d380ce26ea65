#include "app/startup_guard.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <QtGlobal>
#include <cstdio>

namespace {

// The loader's messages, asked for during the start unless the user asked
// for every plugin message with QT_DEBUG_PLUGINS.
constexpr char kLoaderCategory[] = "qt.core.library";

bool g_guarding = false;
std::function<std::string()> g_failure;
int g_savedStderr = -1;
int g_heldStderr = -1;
QtMessageHandler g_previousHandler = nullptr;
bool g_askedLoader = false;
std::string g_loaderReasons;  // "... cannot load: ..." lines

void WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0) return;
        data += n;
        size -= static_cast<size_t>(n);
    }
}

// What was written to standard error while held back, up to `size` bytes
// (all of it when negative), to `fd`; without empty lines when `squeeze`.
void PassOnHeld(int fd, off_t size, bool squeeze) {
    std::fflush(stderr);
    char buffer[4096];
    ssize_t n;
    char last = '\n';
    ::lseek(g_heldStderr, 0, SEEK_SET);
    while (size != 0 && (n = ::read(g_heldStderr, buffer, sizeof buffer)) > 0) {
        if (size > 0 && n > size) n = static_cast<ssize_t>(size);
        if (size > 0) size -= n;
        std::string kept;
        for (ssize_t i = 0; i < n; ++i) {
            if (!squeeze || buffer[i] != '\n' || last != '\n') kept += buffer[i];
            last = buffer[i];
        }
        WriteAll(fd, kept.data(), kept.size());
    }
}

// Lines of `text`, each ending in a newline, without the empty ones.
std::string Lines(const QString& text) {
    std::string out;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        out += line.toLocal8Bit().toStdString() + "\n";
    return out;
}

void OnMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const bool loader = context.category && qstrcmp(context.category, kLoaderCategory) == 0;
    if (g_askedLoader && loader && type == QtDebugMsg) {
        if (message.contains(QLatin1String("cannot load")))
            g_loaderReasons += Lines(qFormatLogMessage(type, context, message));
        return;
    }
    if (type != QtFatalMsg) {
        if (g_previousHandler) g_previousHandler(type, context, message);
        return;
    }
    // Ours first, then the toolkit's in the order it found them; not what
    // the X library says while our sentence is found.
    std::fflush(stderr);
    const off_t held = ::lseek(g_heldStderr, 0, SEEK_END);
    const int to = g_savedStderr >= 0 ? g_savedStderr : STDERR_FILENO;
    const std::string line = "tessarin: " + g_failure() + "\n" + g_loaderReasons;
    WriteAll(to, line.data(), line.size());
    if (g_savedStderr >= 0) PassOnHeld(to, held, true);
    const std::string fatal = Lines(qFormatLogMessage(type, context, message));
    WriteAll(to, fatal.data(), fatal.size());
    ::_exit(1);
}

}  // namespace

StartupGuard::StartupGuard(std::function<std::string()> failure) {
    g_failure = std::move(failure);
    std::fflush(stderr);
    g_heldStderr = ::memfd_create("tessarin-stderr", MFD_CLOEXEC);
    g_savedStderr = g_heldStderr >= 0 ? ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0) : -1;
    if (g_savedStderr >= 0) ::dup2(g_heldStderr, STDERR_FILENO);
    g_previousHandler = qInstallMessageHandler(OnMessage);
    g_askedLoader = qEnvironmentVariableIntValue("QT_DEBUG_PLUGINS") == 0;
    if (g_askedLoader)
        QLoggingCategory::setFilterRules(QString::fromLatin1(kLoaderCategory) + ".debug=true");
    g_guarding = true;
}

StartupGuard::~StartupGuard() {
    Release();
}

void StartupGuard::Release() {
    if (!g_guarding) return;
    g_guarding = false;
    if (g_askedLoader) QLoggingCategory::setFilterRules(QString());
    g_askedLoader = false;
    g_loaderReasons.clear();
    qInstallMessageHandler(g_previousHandler);
    if (g_savedStderr < 0) return;
    std::fflush(stderr);
    ::dup2(g_savedStderr, STDERR_FILENO);
    ::close(g_savedStderr);
    g_savedStderr = -1;
    PassOnHeld(STDERR_FILENO, -1, false);
    ::close(g_heldStderr);
    g_heldStderr = -1;
}
