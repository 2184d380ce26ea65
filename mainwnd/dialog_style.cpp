#include "mainwnd/dialog_style.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStyleFactory>

DialogStyle::DialogStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

QRect DialogStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                  SubControl sub, const QWidget* widget) const {
    QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
    if (control != CC_ComboBox) return r;
    const QRect arrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
    const int gain = arrow.width() - kComboArrowWidth;
    if (gain <= 0) return r;
    if (sub == SC_ComboBoxArrow) r.setLeft(r.left() + gain);
    if (sub == SC_ComboBoxEditField) r.setRight(r.right() + gain);
    return r;
}

QIcon DialogStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton) {
        const QImage image(QStringLiteral(":/qt-project.org/styles/commonstyle/images/"
                                          "toolbar-ext-h-16.png"),
                           "PNG");
        if (!image.isNull()) return QIcon(QPixmap::fromImage(image));
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}
