#include "ui/titled_frame.h"

#include <qdrawutil.h>
#include <QPainter>

void TitledFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    // An etched line: dark, with a light line inside it.
    qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true, 1, 0);

    const QRect label(kTitleIndent, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(label, palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine, title());
}
