// Runs GoogleTest inside a QApplication on the offscreen platform, with the
// program's style and a private settings folder, so that widget tests drive
// the real window without a display.
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
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InstallDialogFontSubstitutes();
    QApplication::setStyle(new DialogStyle);
    QApplication::setFont(DialogFont());
    return RUN_ALL_TESTS();
}
