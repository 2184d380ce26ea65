#include "mainwnd/caret_blink.h"

#include <QApplication>
#include <QEvent>

CaretBlinkTimeout::CaretBlinkTimeout(QObject* parent)
    : QObject(parent), m_flashTime(QApplication::cursorFlashTime()) {
    QCoreApplication::instance()->installEventFilter(this);
    m_timer.start(kTimeoutMs, this);
}

CaretBlinkTimeout::~CaretBlinkTimeout() {
    if (m_stopped) QApplication::setCursorFlashTime(m_flashTime);
}

bool CaretBlinkTimeout::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
        case QEvent::FocusIn:
            Restart();
            break;
        default:
            break;
    }
    return false;
}

void CaretBlinkTimeout::Restart() {
    if (m_stopped) {
        m_stopped = false;
        QApplication::setCursorFlashTime(m_flashTime);
    }
    m_timer.start(kTimeoutMs, this);
}

void CaretBlinkTimeout::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) return;
    m_timer.stop();
    m_stopped = true;
    QApplication::setCursorFlashTime(0);  // a steady caret
}
