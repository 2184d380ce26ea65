#include "ui/icon_button.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <cmath>

IconButton::IconButton(QWidget* parent) : QAbstractButton(parent) {}

void IconButton::SetButtonIcon(const QIcon& icon, int iconId) {
    m_icon = icon;
    m_iconId = iconId;
    update();
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    if (isDown()) option.state |= QStyle::State_Sunken;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    if (m_icon.isNull()) return;
    const QPixmap pixmap =
        m_icon.pixmap(QSize(32, 32), isEnabled() ? QIcon::Normal : QIcon::Disabled);
    // Centred on whole device pixels, so the icon's pixels are not resampled.
    const qreal dpr = devicePixelRatioF();
    const auto offset = [dpr](int logical, int device) {
        return std::floor((logical * dpr - device) / 2.0) / dpr;
    };
    const QPointF topLeft(offset(width(), pixmap.width()) + (isDown() ? 1 : 0),
                          offset(height(), pixmap.height()) + (isDown() ? 1 : 0));
    painter.setClipRect(rect().adjusted(1, 1, -1, -1));
    painter.drawPixmap(topLeft, pixmap);
}
