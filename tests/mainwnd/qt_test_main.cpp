// Runs GoogleTest inside a QApplication on the offscreen platform, with the
// program's style and a private settings folder, so that widget tests drive
// the real window without a display. Both D-Bus addresses point at a socket
// in a folder of this run where nothing listens: whatever a widget test
// does, no log-off, restart or power-off request can reach a bus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "ui/dialog_builder.h"
#include "ui/dialog_style.h"
#include "ui/font_substitutes.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings go to a folder of this run, never to the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QByteArray noBus = "unix:path=" + config.filePath("no-bus").toLocal8Bit();
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", noBus);
    qputenv("DBUS_SESSION_BUS_ADDRESS", noBus);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InstallDialogFontSubstitutes();
    QApplication::setStyle(new DialogStyle);
    QApplication::setFont(DialogFont());
    return RUN_ALL_TESTS();
}
