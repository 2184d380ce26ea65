// Tooltips for a set of registered controls: shown 1000 ms after the pointer
// comes to rest on a control, hidden after 6000 ms, and shown after 500 ms
// when the pointer moves on to another control while a tip is up. The text is
// asked for each time a tip is shown. No timer runs while the pointer is away.
#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <vector>

class QWidget;

class ToolTipController : public QObject {
    Q_OBJECT

public:
    static constexpr int kInitialDelayMs = 1000;
    static constexpr int kAutoPopMs = 6000;
    static constexpr int kReshowDelayMs = 500;

    using TextSource = std::function<QString(QWidget* tool)>;

    ToolTipController(QObject* parent, TextSource textSource);
    ~ToolTipController() override;
    void AddTool(QWidget* tool);
    void Activate(bool on);
    bool IsActive() const { return m_active; }
    // The delay that applies now for a tool the pointer has just reached.
    int PendingDelay() const { return m_pendingDelay; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void PointerReached(QWidget* tool, const QPoint& globalPos);
    void PointerLeft(QWidget* tool);

    TextSource m_textSource;
    std::vector<QWidget*> m_tools;
    bool m_active = true;
    QPointer<QWidget> m_current;   // the tool under the pointer
    QPointer<QWidget> m_shownFor;  // the tool whose tip is up
    QPoint m_globalPos;
    QBasicTimer m_timer;
    int m_pendingDelay = 0;
};
