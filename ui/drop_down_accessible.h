// A drop-down list as a screen reader meets it: it keeps its own name, the
// entry shown is its value, its child is the list it drops down, and its
// one action shows or hides that list.
#pragma once

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

class DropDownAccessible : public QAccessibleWidget {
public:
    explicit DropDownAccessible(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? Combo()->currentText() : QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == Combo()->view() ? 0 : -1;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.hasPopup = true;
        s.expanded = Combo()->view()->isVisible();
        return s;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override {
        if (actionName != showMenuAction()) return QAccessibleWidget::doAction(actionName);
        if (Combo()->view()->isVisible()) {
            Combo()->hidePopup();
        } else {
            Combo()->showPopup();
        }
    }
};
