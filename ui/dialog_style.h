// The program's style: Fusion with three changes. A separator in a menu bar
// puts the titles after it at the bar's right end, where "&Hilfe" belongs.
// A drop-down list is as
// narrow as its template makes it (48 dialog units for "Megabyte"), so its
// arrow button is narrower and the longest entry is not cut. And the menu
// bar's overflow icon, which this window never shows, is decoded as PNG only
// when it is first drawn: the toolkit would otherwise decode it at start-up
// and load every image format plugin to guess its format.
#pragma once

#include <QProxyStyle>

class DialogStyle : public QProxyStyle {
    Q_OBJECT

public:
    static constexpr int kComboArrowWidth = 13;

    DialogStyle();
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};
