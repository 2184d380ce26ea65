#include "mainwnd/edit_accessible.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QValidator>
#include <algorithm>

EditAccessible::EditAccessible(QLineEdit* edit)
    : QAccessibleWidget(edit, QAccessible::EditableText) {}

QLineEdit* EditAccessible::Edit() const {
    return static_cast<QLineEdit*>(widget());
}

void* EditAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessible::State EditAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    if (Edit()->isReadOnly()) {
        s.readOnly = true;
    } else {
        s.editable = true;
    }
    s.selectableText = true;
    return s;
}

QString EditAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value) return Edit()->text();
    return QAccessibleWidget::text(t);
}

// A value set as a whole is taken only as the field would take it typed.
void EditAccessible::setText(QAccessible::Text t, const QString& text) {
    if (t != QAccessible::Value) return QAccessibleWidget::setText(t, text);
    QString value = text;
    int position = 0;
    if (const QValidator* v = Edit()->validator();
        v && v->validate(value, position) != QValidator::Acceptable)
        return;
    Edit()->setText(value);
}

int EditAccessible::Clamped(int offset) const {
    return std::clamp(offset, 0, characterCount());
}

QString EditAccessible::text(int startOffset, int endOffset) const {
    const int start = Clamped(startOffset);
    const int end = endOffset < 0 ? characterCount() : std::max(start, Clamped(endOffset));
    return Edit()->text().mid(start, end - start);
}

int EditAccessible::characterCount() const {
    return static_cast<int>(Edit()->text().size());
}

void EditAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !Edit()->hasSelectedText()) return;
    *startOffset = Edit()->selectionStart();
    *endOffset = Edit()->selectionEnd();
}

int EditAccessible::selectionCount() const {
    return Edit()->hasSelectedText() ? 1 : 0;
}

void EditAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void EditAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) Edit()->deselect();
}

void EditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0) return;
    const int start = Clamped(startOffset);
    Edit()->setSelection(start, Clamped(endOffset) - start);
}

int EditAccessible::cursorPosition() const {
    return Edit()->cursorPosition();
}

void EditAccessible::setCursorPosition(int position) {
    Edit()->setCursorPosition(Clamped(position));
}

// Each character is placed from the caret, which stands after the text
// before it; the field may have scrolled its text.
QRect EditAccessible::characterRect(int offset) const {
    const QString shown = Edit()->displayText();
    if (offset < 0 || offset >= shown.size()) return QRect();
    const QFontMetrics metrics(Edit()->font());
    const QRect caret = Edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int origin =
        caret.center().x() - metrics.horizontalAdvance(shown.left(Edit()->cursorPosition()));
    const QPoint topLeft(origin + metrics.horizontalAdvance(shown.left(offset)),
                         caret.center().y() - metrics.height() / 2);
    const QSize size(metrics.horizontalAdvance(shown.at(offset)), metrics.height());
    return QRect(Edit()->mapToGlobal(topLeft), size);
}

int EditAccessible::offsetAtPoint(const QPoint& point) const {
    for (int i = 0; i < characterCount(); ++i) {
        if (characterRect(i).contains(point)) return i;
    }
    return -1;
}

void EditAccessible::scrollToSubstring(int startIndex, int endIndex) {
    Edit()->setCursorPosition(Clamped(endIndex));
    Edit()->setCursorPosition(Clamped(startIndex));
}

QString EditAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    (void)offset;
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

void EditAccessible::deleteText(int startOffset, int endOffset) {
    Change(startOffset, endOffset, QString());
}

void EditAccessible::insertText(int offset, const QString& text) {
    Change(offset, offset, text);
}

void EditAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    Change(startOffset, endOffset, text);
}

// The field takes the new text as it takes typing; one that cannot be
// edited keeps its text.
void EditAccessible::Change(int startOffset, int endOffset, const QString& text) {
    if (Edit()->isReadOnly()) return;
    const int start = Clamped(startOffset);
    const int end = std::max(start, Clamped(endOffset));
    QString changed = Edit()->text();
    changed.replace(start, end - start, text);
    Edit()->setText(changed);
}
