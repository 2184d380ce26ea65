// The baseline for the main window's start-up and idle figures: a bare Qt
// Widgets window, an empty QWidget in a QApplication set up like the
// program's (same style, names and platform), nothing else. With
// TESSARIN_EXIT_AFTER_FIRST_PAINT=1 it ends once its first frame is painted,
// exactly as the program does; otherwise it stays open until it is ended.
// With --label it shows one line of text, so that the cost of the first text
// (font database, font engine, glyphs) can be told apart from the rest.
#include <QApplication>
#include <QLabel>
#include <QStyleFactory>
#include <QWidget>
#include <cstring>

#include "app/quit_after_first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("Bare window"));
    QGuiApplication::setDesktopFileName(QStringLiteral("bare_window"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    // The main window's size, so that both first frames cover the same area.
    window.setFixedSize(354, 450);
    if (argc > 1 && std::strcmp(argv[1], "--label") == 0)
        new QLabel(QStringLiteral("Gesamtdaten: 1.467.438.112 Byte"), &window);
    QuitAfterFirstPaint::InstallIfRequested(&window);
    window.show();
    return QApplication::exec();
}
