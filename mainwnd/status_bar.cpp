#include "mainwnd/status_bar.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include "mainwnd/status_bar_accessible.h"

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ctl501"));
    setAccessibleName(QStringLiteral("Statusleiste"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusBar::SetParts(const std::array<int, kParts>& rightEdges) {
    for (int i = 0; i < kParts; ++i)
        m_parts[i].rightEdge = rightEdges[i];
    update();
}

void StatusBar::SetText(int part, const QString& text, bool border) {
    if (part < 0 || part >= kParts) return;
    const QString before = m_parts[part].text;
    m_parts[part].text = text;
    m_parts[part].border = border;
    update();
    if (before == text || !QAccessible::isActive()) return;
    // A reader that watches the part hears its new text.
    if (QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(this)) {
        if (QAccessibleInterface* shown = bar->child(part)) {
            QAccessibleTextUpdateEvent event(shown, 0, before, text);
            QAccessible::updateAccessibility(&event);
        }
    }
}

void StatusBar::SetStateDescription(const QString& description) {
    const QString before = accessibleDescription();
    if (description == before) return;
    setAccessibleDescription(description);
    if (!before.isEmpty() && QAccessible::isActive()) AnnouncePart(this, 1);
}

void StatusBar::Announce(const QString& message) {
    SetText(0, message);
    if (QAccessible::isActive()) AnnouncePart(this, 0);
}

void StatusBar::SetIcon(int part, const QIcon& icon, int iconId) {
    if (part < 0 || part >= kParts) return;
    m_parts[part].icon = icon;
    m_parts[part].iconId = iconId;
    update();
}

QString StatusBar::Text(int part) const {
    return (part >= 0 && part < kParts) ? m_parts[part].text : QString();
}

QString StatusBar::Spoken(const QString& message) {
    static const QString kArrow = QStringLiteral(" --->");
    return message.endsWith(kArrow) ? message.chopped(kArrow.size()) : message;
}

int StatusBar::IconId(int part) const {
    return (part >= 0 && part < kParts) ? m_parts[part].iconId : 0;
}

QRect StatusBar::PartRect(int part) const {
    const int left = part == 0 ? 0 : m_parts[part - 1].rightEdge;
    const int right = m_parts[part].rightEdge < 0 ? width() : m_parts[part].rightEdge;
    return QRect(left, 0, std::max(0, right - left), height());
}

QRect StatusBar::TextRect(int part) const {
    return PartRect(part).adjusted(4, 2, -3, -1);
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);
    for (int i = 0; i < kParts; ++i) {
        const QRect r = PartRect(i).adjusted(1, 2, -1, -1);
        if (r.width() <= 0) continue;
        if (m_parts[i].border) {
            painter.setPen(palette().color(QPalette::Mid));
            painter.drawLine(r.topLeft(), r.topRight());
            painter.drawLine(r.topLeft(), r.bottomLeft());
            painter.setPen(palette().color(QPalette::Light));
            painter.drawLine(r.bottomLeft(), r.bottomRight());
            painter.drawLine(r.topRight(), r.bottomRight());
        }
        if (!m_parts[i].icon.isNull()) {
            const int side = std::min(16, r.height());
            const QRect iconRect(r.left() + 2, r.top() + (r.height() - side) / 2, side, side);
            m_parts[i].icon.paint(&painter, iconRect);
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(TextRect(i), Qt::AlignLeft | Qt::AlignVCenter,
                         m_parts[i].text);
    }
}

void StatusBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        Q_EMIT clicked(event->button() == Qt::RightButton);
    }
}
