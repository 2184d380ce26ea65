// A list of text lines as a dialog's list box shows them: one line per item
// in the dialog font, tabs moving the text to tab stops a fixed number of
// pixels apart, no selection and never a focus mark. It does not sort, edit
// or select.
#pragma once

#include <QListWidget>

class ListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ListBox(QWidget* parent = nullptr);
    // A tab stop every `dialogUnits` horizontal dialog units.
    void SetTabStops(int dialogUnits);
    qreal TabStopPixels() const { return m_tabStop; }
    // The index of the first line shown.
    int TopIndex() const;

private:
    qreal m_tabStop;
};
