// The status bar at the bottom of the main window: three parts whose right
// edges the program sets, a text in each, borders on request, an icon in the
// last part. A left or right click anywhere on it is reported. What it tells
// assistive technology is in status_bar_accessible.h.
#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>
#include <array>

class StatusBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 20;
    static constexpr int kParts = 3;

    explicit StatusBar(QWidget* parent);

    void SetParts(const std::array<int, kParts>& rightEdges);
    void SetText(int part, const QString& text, bool border = true);
    void SetIcon(int part, const QIcon& icon, int iconId);
    // The state in words for assistive technology ("Ungeprüft. Hier drücken,
    // um neu zu berechnen."); a change is announced.
    void SetStateDescription(const QString& description);
    // A message in part 0 that readers speak at once, as they do a change
    // of state; it stays until it is replaced.
    void Announce(const QString& message);
    QString Text(int part) const;
    // A message as it is heard: without the arrow that points at the state
    // word on the screen ("Hier drücken, um neu zu berechnen. --->").
    static QString Spoken(const QString& message);
    int IconId(int part) const;
    QRect PartRect(int part) const;
    // Where the part's text is drawn.
    QRect TextRect(int part) const;

Q_SIGNALS:
    void clicked(bool rightButton);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Part {
        int rightEdge = -1;
        QString text;
        bool border = true;
        QIcon icon;
        int iconId = 0;
    };
    std::array<Part, kParts> m_parts;
};
