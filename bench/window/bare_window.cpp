// The baseline for the main window's start-up and idle figures: a bare Qt
// Widgets window, an empty QWidget in a QApplication set up like the
// program's (same style, names and platform), nothing else. With
// TESSARIN_EXIT_AFTER_FIRST_PAINT=1 it ends once its first frame is painted,
// exactly as the program does; otherwise it stays open until it is ended.
// With --label it shows one line of text, so that the cost of the first text
// (font database, font engine, glyphs) can be told apart from the rest.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStyleFactory>
#include <QWidget>
#include <cstring>

namespace {

class QuitAfterFirstPaint : public QObject {
public:
    explicit QuitAfterFirstPaint(QWidget* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget && widget->window() == m_window) {
            QCoreApplication::instance()->removeEventFilter(this);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget* m_window;
};

}  // namespace

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
    if (qEnvironmentVariableIntValue("TESSARIN_EXIT_AFTER_FIRST_PAINT") == 1)
        app.installEventFilter(new QuitAfterFirstPaint(&window));
    window.show();
    return QApplication::exec();
}
