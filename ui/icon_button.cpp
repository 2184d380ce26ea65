#include "ui/icon_button.h"

#include <QPainter>
#include <QStyleOptionButton>

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
    const QSizeF logical = pixmap.deviceIndependentSize();
    const QPointF topLeft((width() - logical.width()) / 2.0 + (isDown() ? 1 : 0),
                          (height() - logical.height()) / 2.0 + (isDown() ? 1 : 0));
    painter.setClipRect(rect().adjusted(1, 1, -1, -1));
    painter.drawPixmap(topLeft, pixmap);
}
