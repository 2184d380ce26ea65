// A small push button that shows the middle of an icon, unscaled, the way a
// button with an icon larger than itself shows it: the toggle buttons of the
// sections are 12 × 10 pixels and show only the arrowheads of a 32 × 32 icon
// (at higher scale factors, of the icon's larger image when it has one).
#pragma once

#include <QAbstractButton>
#include <QIcon>

class IconButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit IconButton(QWidget* parent = nullptr);
    void SetButtonIcon(const QIcon& icon, int iconId);
    int ButtonIconId() const { return m_iconId; }
    QSize sizeHint() const override { return {12, 10}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon m_icon;
    int m_iconId = 0;
};
