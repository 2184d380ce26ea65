#include <QApplication>
#include <cstdio>
#include <string>

#include "app/display_check.h"
#include "app/rate_app.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_style.h"

int main(int argc, char** argv) {
    if (const std::string problem = DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "tessarin: %s\n", problem.c_str());
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
