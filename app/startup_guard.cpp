#include "app/startup_guard.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QtGlobal>
#include <cstdio>

namespace {

bool g_guarding = false;
std::function<std::string()> g_failure;
int g_savedStderr = -1;
int g_heldStderr = -1;
QtMessageHandler g_previousHandler = nullptr;

void WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0) return;
        data += n;
        size -= static_cast<size_t>(n);
    }
}

void OnMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        if (g_previousHandler) g_previousHandler(type, context, message);
        return;
    }
    const std::string line = "tessarin: " + g_failure() + "\n";
    WriteAll(g_savedStderr >= 0 ? g_savedStderr : STDERR_FILENO, line.data(), line.size());
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
    g_guarding = true;
}

StartupGuard::~StartupGuard() {
    Release();
}

void StartupGuard::Release() {
    if (!g_guarding) return;
    g_guarding = false;
    qInstallMessageHandler(g_previousHandler);
    if (g_savedStderr < 0) return;
    std::fflush(stderr);
    ::dup2(g_savedStderr, STDERR_FILENO);
    ::close(g_savedStderr);
    g_savedStderr = -1;
    char buffer[4096];
    ssize_t n;
    ::lseek(g_heldStderr, 0, SEEK_SET);
    while ((n = ::read(g_heldStderr, buffer, sizeof buffer)) > 0)
        WriteAll(STDERR_FILENO, buffer, static_cast<size_t>(n));
    ::close(g_heldStderr);
    g_heldStderr = -1;
}
