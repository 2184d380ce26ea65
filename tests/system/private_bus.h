// The guard of every test program that may reach the system commands or the
// desktop's services: it acts only on the private buses its driver started.
#pragma once

#include <QByteArray>
#include <QDir>

// True when both bus addresses are those named by the driver, sockets in
// the temporary folder, and none of the machine's usual bus addresses.
inline bool OnPrivateBuses(const char* systemBus, const char* sessionBus) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray machineBuses[] = {"unix:path=/run/dbus/system_bus_socket",
                                       "unix:path=/var/run/dbus/system_bus_socket",
                                       "unix:path=" + runtime + "/bus"};
    const auto isPrivate = [&](const char* variable, const char* expected) {
        const QByteArray address = qgetenv(variable);
        for (const QByteArray& machine : machineBuses) {
            if (address.startsWith(machine)) return false;
        }
        return !address.isEmpty() && address == expected &&
               address.startsWith("unix:path=" + QDir::tempPath().toLocal8Bit() + "/");
    };
    return isPrivate("DBUS_SYSTEM_BUS_ADDRESS", systemBus) &&
           isPrivate("DBUS_SESSION_BUS_ADDRESS", sessionBus);
}
