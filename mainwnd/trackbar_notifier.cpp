#include "mainwnd/trackbar_notifier.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSlider>

TrackbarNotifier::TrackbarNotifier(QSlider* slider) : QObject(slider), m_slider(slider) {
    slider->installEventFilter(this);
    connect(slider, &QSlider::sliderMoved, this, &TrackbarNotifier::thumbTrack);
    connect(slider, &QSlider::sliderReleased, this, &TrackbarNotifier::endTrack);
    connect(slider, &QSlider::actionTriggered, this, &TrackbarNotifier::OnAction);
}

void TrackbarNotifier::OnAction(int action) {
    // While the thumb is held, sliderMoved reports the moves.
    if (action == QAbstractSlider::SliderMove && m_slider->isSliderDown()) return;
    if (m_keyDown || m_mouseDown) {
        m_pending = true;
    } else {
        Q_EMIT endTrack();  // a wheel step ends at once
    }
}

void TrackbarNotifier::EndIfPending() {
    if (!m_pending) return;
    m_pending = false;
    Q_EMIT endTrack();
}

bool TrackbarNotifier::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            m_keyDown = true;
            break;
        case QEvent::KeyRelease:
            if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
                m_keyDown = false;
                EndIfPending();
            }
            break;
        case QEvent::MouseButtonPress:
            m_mouseDown = true;
            break;
        case QEvent::MouseButtonRelease:
            m_mouseDown = false;
            // The release is handled by the slider after this filter: the end
            // of a page move is reported once the slider has seen it too.
            QMetaObject::invokeMethod(this, &TrackbarNotifier::EndIfPending, Qt::QueuedConnection);
            break;
        case QEvent::FocusOut:
            m_keyDown = false;
            EndIfPending();
            break;
        default:
            break;
    }
    return false;
}
