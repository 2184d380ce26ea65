// Reports a slider's moves the way a trackbar does: "thumb track" for every
// position while the thumb is dragged, and "end track" once a move has ended
// — when the key is released after one or more line or page steps, when the
// mouse is released after paging on the groove, at once after a wheel step,
// and when the dragged thumb is let go. Positions the program sets report
// nothing (it blocks the slider's signals while it sets them).
#pragma once

#include <QObject>

class QSlider;

class TrackbarNotifier : public QObject {
    Q_OBJECT

public:
    explicit TrackbarNotifier(QSlider* slider);

Q_SIGNALS:
    void thumbTrack();
    void endTrack();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnAction(int action);
    void EndIfPending();

    QSlider* m_slider;
    bool m_keyDown = false;
    bool m_mouseDown = false;
    bool m_pending = false;  // a step happened; the end comes with the release
};
