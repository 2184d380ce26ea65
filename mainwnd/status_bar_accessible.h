// The status bar as assistive technology sees it: the status-bar role, the
// name "Statusleiste", the state as its description, its three parts as
// children (the message and the state word, both notifications, and the
// icon described by the state it shows), and one action that does what a click does: "Neu berechnen".
// A status bar is read politely: its changes are spoken when the reader is
// idle, without taking the focus. It draws and handles nothing itself.
#pragma once

#include <QAccessibleWidget>
#include <array>

#include "mainwnd/status_bar.h"

// Part `part` has something new to say: the state word (1), named by the
// whole state, after a change of state; the message (0) after a message
// that is to be heard at once. Both are notifications, shown anew to
// assistive technology while the bar is shown, which readers speak without
// moving the focus.
void AnnouncePart(StatusBar* bar, int part);

class StatusBarAccessible : public QAccessibleWidget {
public:
    explicit StatusBarAccessible(StatusBar* bar);
    ~StatusBarAccessible() override;

    // Invisible while the bar lies below the window's client area.
    QAccessible::State state() const override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    QStringList actionNames() const override;
    QString localizedActionName(const QString& actionName) const override;
    QString localizedActionDescription(const QString& actionName) const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    // Owned by the toolkit's registry of interfaces once registered.
    std::array<QAccessibleInterface*, StatusBar::kParts> m_parts{};
    std::array<QAccessible::Id, StatusBar::kParts> m_partIds{};
};
