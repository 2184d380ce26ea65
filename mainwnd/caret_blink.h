// Stops the text caret's blinking after a few seconds without keyboard or
// mouse input, and starts it again with the next input, so that a window
// left alone runs no timer at all.
#pragma once

#include <QBasicTimer>
#include <QObject>

class CaretBlinkTimeout : public QObject {
    Q_OBJECT

public:
    static constexpr int kTimeoutMs = 5000;

    // Watches the input of the whole application; lives as long as `parent`.
    explicit CaretBlinkTimeout(QObject* parent);
    ~CaretBlinkTimeout() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void Restart();

    QBasicTimer m_timer;
    int m_flashTime = 0;  // the caret's period while it blinks
    bool m_stopped = false;
};
