// A text that assistive technology can read but not change, added to an
// accessible interface: what a label, a list or a slider shows, or a part of
// the status bar. It has no caret, no selection and no character geometry.
#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QRect>
#include <QString>
#include <algorithm>

template <typename Base>
class ReadOnlyText : public Base, public QAccessibleTextInterface {
public:
    using Base::Base;
    using Base::text;

    // The text as the user reads it on the screen.
    virtual QString Shown() const = 0;

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return Base::interface_cast(t);
    }

    QString text(int startOffset, int endOffset) const override {
        const QString shown = Shown();
        const auto size = static_cast<int>(shown.size());
        const int start = std::clamp(startOffset, 0, size);
        const int end = endOffset < 0 ? size : std::clamp(endOffset, start, size);
        return shown.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Shown().size()); }

    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }
};
