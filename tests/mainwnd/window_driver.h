// Drives the main window as a user does, offscreen: typing into fields,
// clicking boxes, choosing list entries, moving sliders, choosing menu items.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <memory>

#include "mainwnd/rate_dlg.h"
#include "mainwnd/status_bar.h"
#include "res/resource_ids.h"

// Log-off, restart and power-off act on the machine: only the test on private
// buses (tests/system) may choose them, and it clicks them in the menu.
constexpr bool IsSystemExitCommand(int id) {
    return id == res::kCmdLogOff || id == res::kCmdRestart || id == res::kCmdShutDown;
}

class WindowDriver {
public:
    WindowDriver() : dlg(std::make_unique<CRateDlg>()) {
        dlg->Create();
        dlg->show();
        dlg->activateWindow();
        (void)QTest::qWaitForWindowExposed(dlg.get());
    }

    QWidget* Control(int id) const { return dlg->GetDlgItem(id); }
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(Control(id)); }
    QString Text(int id) const {
        QWidget* w = Control(id);
        if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
        if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
        if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
        return {};
    }

    // Clicks into the field, selects its text and types `text` over it, one
    // key at a time (each keystroke is a change the window reacts to).
    void Type(int id, const QString& text) {
        QLineEdit* e = Edit(id);
        QTest::mouseClick(e, Qt::LeftButton);
        e->selectAll();
        if (text.isEmpty()) {
            QTest::keyClick(e, Qt::Key_Delete);
        } else {
            QTest::keyClicks(e, text);
        }
    }
    // Pastes `text` over the field's content in one change.
    void Paste(int id, const QString& text) {
        QLineEdit* e = Edit(id);
        e->setFocus();
        e->selectAll();
        e->insert(text);
    }
    void Click(int id) { QTest::mouseClick(Control(id), Qt::LeftButton); }
    void ClickCheckBox(int id) {
        auto* box = qobject_cast<QCheckBox*>(Control(id));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    // Clicks an empty place of the window, outside every control.
    void ClickEmptyPlace() {
        QWidget* surface = dlg->findChild<QWidget*>(QStringLiteral("surface"));
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(3, 3));
    }
    // Chooses list entry `index` with the keyboard, as a user does on a
    // closed drop-down list.
    void Choose(int id, int index) {
        auto* combo = qobject_cast<QComboBox*>(Control(id));
        combo->setFocus();
        while (combo->currentIndex() < index)
            QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > index)
            QTest::keyClick(combo, Qt::Key_Up);
    }
    QSlider* Slider(int id) const { return qobject_cast<QSlider*>(Control(id)); }
    // Drags the slider's thumb with the mouse to where `position` lies:
    // press on the thumb, move, release.
    void DragSlider(int id, int position) {
        QSlider* s = Slider(id);
        QStyleOptionSlider option;
        option.initFrom(s);
        option.orientation = s->orientation();
        option.minimum = s->minimum();
        option.maximum = s->maximum();
        option.sliderPosition = s->sliderPosition();
        option.sliderValue = s->value();
        option.tickPosition = s->tickPosition();
        const QRect handle =
            s->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, s);
        const QRect groove =
            s->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, s);
        const int span = groove.width() - handle.width();
        const int x = groove.x() + handle.width() / 2 +
                      QStyle::sliderPositionFromValue(s->minimum(), s->maximum(), position, span);
        QTest::mousePress(s, Qt::LeftButton, {}, handle.center());
        QTest::mouseMove(s, QPoint(x, handle.center().y()));
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(x, handle.center().y()));
    }
    void Command(int id) {
        if (IsSystemExitCommand(id)) qFatal("a widget test chose the system command %d", id);
        QAction* action = dlg->MenuAction(id);
        action->trigger();
    }
    QString StatusWord() const { return dlg->StatusBarWidget()->Text(1); }
    QString StatusMessage() const { return dlg->StatusBarWidget()->Text(0); }
    int StatusIcon() const { return dlg->StatusBarWidget()->IconId(2); }

    std::unique_ptr<CRateDlg> dlg;
};
