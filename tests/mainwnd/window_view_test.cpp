// The window's frame around the numbers: menu texts and check marks, the
// status bar and its help texts, tooltips, keyboard focus, accessibility,
// and ending the program.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QMenuBar>
#include <QSet>
#include <QTimer>
#include <QToolTip>

#include "res/dialog_template.h"
#include "res/resource_ids.h"
#include "tests/mainwnd/window_driver.h"

using namespace res;

TEST(MainWindowView, MenuTextsAndCheckMarksAtStart) {
    WindowDriver w;
    const QMenuBar* bar = w.dlg->MenuBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(w.dlg->MenuPopup(0)->title(), "&Steuerung");
    EXPECT_EQ(w.dlg->MenuPopup(3)->title(), "&Film");
    EXPECT_EQ(w.dlg->MenuPopup(4)->title(), "&Hilfe");
    EXPECT_EQ(w.dlg->MenuAction(kCmdStatusBar)->text(), "Status&bar verbergen");
    EXPECT_EQ(w.dlg->MenuAction(kCmdToolTips)->text(), "&Tooltips deaktivieren");
    EXPECT_TRUE(w.dlg->MenuAction(kCmdAutoCalculate)->isChecked());
    EXPECT_TRUE(w.dlg->MenuAction(kCmdAutoRange)->isChecked());
    EXPECT_FALSE(w.dlg->MenuAction(kCmdSaveOnExit)->isChecked());
    for (int id : {kCmdShowTime, kCmdShowAudio, kCmdShowVideo, kCmdShowSize}) {
        EXPECT_TRUE(w.dlg->MenuAction(id)->isChecked()) << id;
    }
    // "&Hilfe" stands at the right end of the same bar, apart from the others.
    const QRect help = bar->actionGeometry(w.dlg->MenuPopup(4)->menuAction());
    const QRect film = bar->actionGeometry(w.dlg->MenuPopup(3)->menuAction());
    EXPECT_GT(help.left(), film.right() + 100);
    EXPECT_GE(help.right(), bar->width() - 12);
}

TEST(MainWindowView, OptionsInvertTheirCheckMarks) {
    WindowDriver w;
    w.Command(kCmdAutoCalculate);
    EXPECT_FALSE(w.dlg->MenuAction(kCmdAutoCalculate)->isChecked());
    w.Command(kCmdAutoCalculate);
    EXPECT_TRUE(w.dlg->MenuAction(kCmdAutoCalculate)->isChecked());
    w.Command(kCmdAutoRange);
    EXPECT_FALSE(w.dlg->MenuAction(kCmdAutoRange)->isChecked());
}

TEST(MainWindowView, StatusBarCanBeHiddenAndShownAgain) {
    WindowDriver w;
    const int height = w.dlg->height();
    const QRect bar = w.dlg->StatusBarWidget()->geometry();
    w.Command(kCmdStatusBar);
    EXPECT_EQ(w.dlg->height(), height - 20);
    EXPECT_EQ(w.dlg->MenuAction(kCmdStatusBar)->text(), "Status anzeigen");
    // Browsing the menu shows no help anywhere while the bar is hidden.
    w.dlg->MenuAction(kCmdExit)->hover();
    EXPECT_EQ(w.StatusMessage(), "");
    w.Command(kCmdStatusBar);
    EXPECT_EQ(w.dlg->height(), height);
    EXPECT_EQ(w.dlg->MenuAction(kCmdStatusBar)->text(), "Status verbergen");
    EXPECT_EQ(w.dlg->StatusBarWidget()->geometry(), bar);
    EXPECT_EQ(w.StatusWord(), "Geprüft");
}

TEST(MainWindowView, StatusBarSitsAtTheBottomWithThreeParts) {
    WindowDriver w;
    const StatusBar* bar = w.dlg->StatusBarWidget();
    const QWidget* surface = bar->parentWidget();
    EXPECT_EQ(bar->geometry().bottom(), surface->height() - 1);
    EXPECT_EQ(bar->height(), 20);
    const int width = w.dlg->width();
    EXPECT_EQ(bar->PartRect(0).right() + 1, width - 85);
    EXPECT_EQ(bar->PartRect(1).right() + 1, width - 30);
    EXPECT_EQ(bar->PartRect(2).right() + 1, width);
    // The results frame ends above it.
    EXPECT_LE(w.Control(kFrameResults)->geometry().bottom(), bar->geometry().top());
}

TEST(MainWindowView, MenuHelpTextsFollowTheItemUnderThePointer) {
    WindowDriver w;
    QMenu* view = w.dlg->MenuPopup(1);
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(w.StatusMessage(), "Ansichtsoptionen");
        view->setActiveAction(w.dlg->MenuAction(kCmdToolTips));
        EXPECT_EQ(w.StatusMessage(), "Die Anzeige der Tooltips verhindern");
        view->setActiveAction(w.dlg->MenuAction(kCmdShowTime));
        EXPECT_EQ(w.StatusMessage(), "Zeiteinstellungsbereich minimieren");
        view->setActiveAction(w.dlg->MenuAction(kCmdCollapseAll));
        EXPECT_EQ(w.StatusMessage(), "Alle Bereiche ausblenden");
        view->close();
    });
    view->exec(w.dlg->mapToGlobal(QPoint(10, 10)));
    QApplication::processEvents();
    EXPECT_EQ(w.StatusMessage(), "");  // emptied when the menu closes

    w.Command(kCmdToolTips);
    QMenu* control = w.dlg->MenuPopup(0);
    QTimer::singleShot(0, [&] {
        control->setActiveAction(w.dlg->MenuAction(kCmdShutDown));
        EXPECT_EQ(w.StatusMessage(), "Windows beenden und herunterfahren");
        control->close();
    });
    control->exec(w.dlg->mapToGlobal(QPoint(10, 10)));
    w.dlg->MenuAction(kCmdToolTips)->hover();
    EXPECT_EQ(w.StatusMessage(), "Die Anzeige der Tooltips zulassen");
    w.dlg->MenuAction(kCmdInfo)->hover();
    EXPECT_EQ(w.StatusMessage(), "Informationen übers Programm");
}

// The menu closes before its command runs: the message the command brings
// stays in the status bar.
TEST(MainWindowView, AMenuCommandsMessageOutlivesTheClosingMenu) {
    WindowDriver w;
    w.Type(kEditAudio, "2");  // held as 4, shown as "2"
    QMenu* options = w.dlg->MenuPopup(2);
    QTimer::singleShot(0, [&] {
        options->setActiveAction(w.dlg->MenuAction(kCmdRecalculate));
        QTest::keyClick(options, Qt::Key_Return);
    });
    options->exec(w.dlg->mapToGlobal(QPoint(10, 10)));
    QApplication::processEvents();
    EXPECT_EQ(w.StatusWord(), "Fehlerhaft");
    EXPECT_EQ(w.StatusMessage(), "Ungültige Werte, bitte korrigieren.");
}

// Alt takes the keyboard to the menu bar without taking the focus from the
// field: the field is not shown again in its normal form.
TEST(MainWindowView, OpeningTheMenuWithTheKeyboardLeavesTheFieldAsTyped) {
    WindowDriver w;
    w.Type(kEditSeconds, "5");
    QTest::keyClick(w.Edit(kEditSeconds), Qt::Key_Alt, Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(w.Text(kEditSeconds), "5");
}

TEST(MainWindowView, ClosingTheMenuEmptiesTheStateMessage) {
    WindowDriver w;
    w.Command(kCmdAutoCalculate);
    w.Type(kEditVideo, "7");
    ASSERT_EQ(w.StatusMessage(), "Hier drücken, um neu zu berechnen. --->");
    QMenu* options = w.dlg->MenuPopup(2);
    QTimer::singleShot(0, [&] { options->close(); });
    options->exec(w.dlg->mapToGlobal(QPoint(10, 10)));
    QApplication::processEvents();
    EXPECT_EQ(w.StatusMessage(), "");
    EXPECT_EQ(w.StatusWord(), "Ungeprüft");
}

TEST(MainWindowView, TooltipsAppearAfterTheDelayAndCanBeSwitchedOff) {
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    WindowDriver w;
    QWidget* count = w.Control(kEditCdCount);
    QTest::mouseMove(count, QPoint(5, 5));
    QTest::qWait(300);
    EXPECT_FALSE(QToolTip::isVisible());  // not before a second has passed
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 3000);
    EXPECT_EQ(QToolTip::text(),
              "Anzahl der vorraussichtlich erwünschten Videoteile ( z.B. Anzahl der CDs )");

    // Moving on to another control while a tip is up: that control's tip.
    QWidget* size = w.Control(kEditSize);
    QTest::mouseMove(size, QPoint(5, 5));
    QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(),
                              QString("Direkteingabe der Maximalgröße, bei autom. begrenzen Werte "
                                      "ab 0"),
                              3000);

    w.Command(kCmdToolTips);
    EXPECT_EQ(w.dlg->MenuAction(kCmdToolTips)->text(), "Tooltips aktivieren");
    QTRY_VERIFY(!QToolTip::isVisible());
    QTest::mouseMove(w.Control(kSliderTime), QPoint(5, 5));
    QTest::qWait(1500);
    EXPECT_FALSE(QToolTip::isVisible());
    w.Command(kCmdToolTips);
    EXPECT_EQ(w.dlg->MenuAction(kCmdToolTips)->text(), "Tooltips deaktivieren");
}

TEST(MainWindowView, LeavingAFieldShowsItInItsNormalForm) {
    WindowDriver w;
    w.Type(kEditMinutes, "7");
    EXPECT_EQ(w.Text(kEditMinutes), "7");
    w.Click(kEditVideo);  // another field takes the focus
    EXPECT_EQ(w.Text(kEditMinutes), "07");
    w.Type(kEditSeconds, "5");
    w.ClickEmptyPlace();
    EXPECT_EQ(w.Text(kEditSeconds), "05");
    EXPECT_EQ(QApplication::focusWidget(), w.Control(kCaptionTime));
    // The size and the CD count are not reformatted.
    w.Paste(kEditSize, "01400");
    w.ClickEmptyPlace();
    EXPECT_EQ(w.Text(kEditSize), "01400");
}

TEST(MainWindowView, TabEnterAndEscapeStayWithTheField) {
    WindowDriver w;
    QLineEdit* hours = w.Edit(kEditHours);
    hours->setFocus();
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Escape}) {
        QTest::keyClick(hours, key);
        EXPECT_EQ(QApplication::focusWidget(), hours) << key;
        EXPECT_TRUE(w.dlg->isVisible());
    }
    EXPECT_EQ(hours->text(), "01");
}

TEST(MainWindowView, EveryControlIsNamedForAssistiveTechnology) {
    WindowDriver w;
    QSet<QString> names;
    for (const DialogControl& c : MainDialogTemplate().controls) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w.Control(c.id));
        ASSERT_NE(a, nullptr) << c.id;
        const QString name = a->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty()) << c.id;
        EXPECT_FALSE(names.contains(name)) << c.id << " " << name.toStdString();
        names.insert(name);
        EXPECT_NE(a->role(), QAccessible::NoRole) << c.id;
        if (c.id >= kSliderTime && c.id <= kEditCdCount) {
            EXPECT_EQ(a->text(QAccessible::Description), QString::fromUtf8(LoadString(c.id - 1010)))
                << c.id;
        }
    }
    QAccessibleInterface* edit = QAccessible::queryAccessibleInterface(w.Control(kEditHours));
    EXPECT_EQ(edit->role(), QAccessible::EditableText);
    QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(w.Control(kSliderSize));
    EXPECT_EQ(slider->role(), QAccessible::Slider);
}

TEST(MainWindowView, WindowHasTheTemplateSizeAndCannotBeResized) {
    WindowDriver w;
    EXPECT_EQ(w.dlg->findChild<QWidget*>("surface")->size(), QSize(354, 432));
    EXPECT_EQ(w.dlg->minimumSize(), w.dlg->maximumSize());
    // Every size a dock or task switcher may ask for, each sharp.
    const QList<QSize> sizes = w.dlg->windowIcon().availableSizes();
    for (const int n : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(n, n))) << n;
    // Every caption fits its control.
    for (const DialogControl& c : MainDialogTemplate().controls) {
        if (c.cls != ControlClass::Static || !c.text) continue;
        auto* label = qobject_cast<QLabel*>(w.Control(c.id));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << c.id << " " << c.text;
        EXPECT_LE(label->fontMetrics().height(), label->height()) << c.id << " " << c.text;
    }
}

TEST(MainWindowView, EndingThroughTheMenuOrTheCloseBoxEndsTheLoop) {
    for (bool closeBox : {false, true}) {
        WindowDriver w;
        QTimer::singleShot(0, [&] {
            if (closeBox) {
                w.dlg->close();
            } else {
                w.Command(kCmdExit);
            }
        });
        // Returns only when the quit request arrives.
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_EQ(w.dlg->isVisible(), !closeBox);
    }
}
