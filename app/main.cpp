#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/rate_app.h"
#include "mainwnd/dialog_builder.h"
#include "mainwnd/dialog_style.h"

namespace {

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;  // the caller chose a platform
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fputs(
            "tessarin: no graphical display is set (DISPLAY is empty); start it on a desktop, "
            "or without one as: xvfb-run -a tessarin\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(new DialogStyle);
    // Menus and tooltips in the dialog's font too: one face to load at start.
    QApplication::setFont(DialogFont());
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    QApplication::setOrganizationName(QStringLiteral("Orvanholt"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tessarin"));
    CRateApp theApp(app);
    return theApp.InitInstance();
}
