#include "mainwnd/compact_combo_style.h"

#include <QApplication>
#include <QStyleFactory>

CompactComboStyle::CompactComboStyle()
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

CompactComboStyle* CompactComboStyle::Instance() {
    static auto* style = [] {
        auto* s = new CompactComboStyle;
        s->setParent(qApp);  // freed with the application
        return s;
    }();
    return style;
}

QRect CompactComboStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl sub, const QWidget* widget) const {
    QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
    if (control != CC_ComboBox) return r;
    const QRect arrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
    const int gain = arrow.width() - kArrowWidth;
    if (gain <= 0) return r;
    if (sub == SC_ComboBoxArrow) r.setLeft(r.left() + gain);
    if (sub == SC_ComboBoxEditField) r.setRight(r.right() + gain);
    return r;
}
