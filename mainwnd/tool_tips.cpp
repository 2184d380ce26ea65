#include "mainwnd/tool_tips.h"

#include <QEnterEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWidget>
#include <algorithm>

ToolTipController::ToolTipController(QObject* parent, TextSource textSource)
    : QObject(parent), m_textSource(std::move(textSource)) {}

ToolTipController::~ToolTipController() {
    if (m_shownFor) QToolTip::hideText();
}

void ToolTipController::AddTool(QWidget* tool) {
    if (!tool) return;
    m_tools.push_back(tool);
    tool->setMouseTracking(true);
    tool->installEventFilter(this);
    // Children (the slider's handle, a combo box's parts) count as the tool.
    for (QWidget* child : tool->findChildren<QWidget*>())
        child->installEventFilter(this);
}

void ToolTipController::Activate(bool on) {
    m_active = on;
    if (!on) {
        m_timer.stop();
        if (m_shownFor) QToolTip::hideText();
        m_shownFor = nullptr;
    }
}

bool ToolTipController::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    QWidget* tool = nullptr;
    for (QWidget* w = widget; w && !tool; w = w->parentWidget()) {
        if (std::find(m_tools.begin(), m_tools.end(), w) != m_tools.end()) tool = w;
    }
    if (!tool) return false;
    switch (event->type()) {
        case QEvent::Enter:
            PointerReached(tool, static_cast<QEnterEvent*>(event)->globalPosition().toPoint());
            break;
        case QEvent::MouseMove:
            m_globalPos = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            if (tool != m_current) PointerReached(tool, m_globalPos);
            break;
        case QEvent::Leave:
            if (watched == tool) PointerLeft(tool);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
            // A click ends the wait and hides the tip, as tooltips do.
            m_timer.stop();
            if (m_shownFor) QToolTip::hideText();
            m_shownFor = nullptr;
            break;
        case QEvent::ToolTip:
            return true;  // the toolkit's own tooltip stays out of the way
        default:
            break;
    }
    return false;
}

void ToolTipController::PointerReached(QWidget* tool, const QPoint& globalPos) {
    m_current = tool;
    m_globalPos = globalPos;
    if (!m_active) return;
    const bool tipUp = m_shownFor && QToolTip::isVisible();
    if (tipUp && m_shownFor == tool) return;
    m_pendingDelay = tipUp ? kReshowDelayMs : kInitialDelayMs;
    m_timer.start(m_pendingDelay, this);
}

void ToolTipController::PointerLeft(QWidget* tool) {
    if (m_current == tool) m_current = nullptr;
    m_timer.stop();
}

void ToolTipController::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) return;
    m_timer.stop();
    if (!m_active || !m_current) return;
    const QString text = m_textSource(m_current);
    if (text.isEmpty()) return;
    QToolTip::showText(m_globalPos + QPoint(0, 16), text, m_current, QRect(), kAutoPopMs);
    m_shownFor = m_current;
}
