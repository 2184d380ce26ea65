// An edit field as assistive technology sees it: editable text whose
// characters, caret and selection can be read and set, and whose text can be
// changed as typing changes it, so the window takes it as the user's input.
// It does what the toolkit's own edit interface does, and can be derived
// from: the toolkit's cannot.
#pragma once

#include <QAccessibleWidget>

class QLineEdit;

class EditAccessible : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface {
public:
    explicit EditAccessible(QLineEdit* edit);

    void* interface_cast(QAccessible::InterfaceType t) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;

    // The text interface.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // The editable text interface.
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    QLineEdit* Edit() const;
    // Offsets from assistive technology clamped to the text.
    int Clamped(int offset) const;
    void Change(int startOffset, int endOffset, const QString& text);
};
