// A group box with a title as a dialog box draws it: the frame's top line runs
// through the middle of the title, which stands a little in from the left
// edge on the window's background. Group boxes without a title keep the
// style's own look.
#pragma once

#include <QGroupBox>

class TitledFrame : public QGroupBox {
    Q_OBJECT

public:
    static constexpr int kTitleIndent = 6;
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};
