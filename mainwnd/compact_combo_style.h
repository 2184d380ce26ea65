// A drop-down list of the dialog is as narrow as its template makes it
// (48 dialog units for "Megabyte"); the style's arrow button is made
// narrower so that the longest entry is not cut.
#pragma once

#include <QProxyStyle>

class CompactComboStyle : public QProxyStyle {
    Q_OBJECT

public:
    static constexpr int kArrowWidth = 13;

    CompactComboStyle();
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override;

    // One instance for all lists of the program.
    static CompactComboStyle* Instance();
};
