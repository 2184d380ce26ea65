// Start-up measurement, opt-in through TESSARIN_EXIT_AFTER_FIRST_PAINT=1:
// ends the main loop as soon as the first frame of a window has been painted
// (the exit is queued, so the whole frame is painted and flushed first).
// Header-only, so that the bare baseline window of the benchmarks uses the
// very same rule without linking the program.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QWidget>

class QuitAfterFirstPaint : public QObject {
public:
    // Installs itself on the application when the variable asks for it.
    static void InstallIfRequested(QWidget* window) {
        if (qEnvironmentVariableIntValue("TESSARIN_EXIT_AFTER_FIRST_PAINT") == 1) {
            QCoreApplication::instance()->installEventFilter(new QuitAfterFirstPaint(window));
        }
    }

protected:
    explicit QuitAfterFirstPaint(QWidget* window) : QObject(window), m_window(window) {}

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
