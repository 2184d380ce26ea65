// Collapsing and expanding the four sections with their toggle buttons and
// the "&Ansicht" menu: what hides, what moves, and that every change is
// undone to the pixel.
#include <gtest/gtest.h>

#include <QApplication>
#include <map>

#include "ui/icon_button.h"
#include "res/dialog_template.h"
#include "res/resource_ids.h"
#include "tests/mainwnd/window_driver.h"

using namespace res;

namespace {

std::map<int, QRect> Geometries(const WindowDriver& w) {
    std::map<int, QRect> all;
    for (const DialogControl& c : MainDialogTemplate().controls) {
        all[c.id] = w.Control(c.id)->geometry();
    }
    all[kStatusBar] = w.dlg->StatusBarWidget()->geometry();
    return all;
}

int ToggleIcon(const WindowDriver& w, int toggle) {
    return static_cast<IconButton*>(w.Control(toggle))->ButtonIconId();
}

}  // namespace

TEST(Sections, CollapsingAllMakesTheWindow192PixelsLowerAndExpandingRestoresIt) {
    WindowDriver w;
    const int height = w.dlg->height();
    const auto before = Geometries(w);
    w.Command(kCmdCollapseAll);
    EXPECT_EQ(w.dlg->height(), height - 192);
    for (int id : {kSliderTime, kSliderAudio, kSliderVideo, kSliderSize, kLabelSizeSlider,
                   kLabelTimeMin, kLabelAudioMax}) {
        EXPECT_FALSE(w.Control(id)->isVisible()) << id;
    }
    for (int item : {kCmdShowTime, kCmdShowAudio, kCmdShowVideo, kCmdShowSize}) {
        EXPECT_FALSE(w.dlg->MenuAction(item)->isChecked()) << item;
    }
    for (int toggle : {kToggleTime, kToggleAudio, kToggleVideo, kToggleSize}) {
        EXPECT_EQ(ToggleIcon(w, toggle), kIconCollapsed);
    }
    // The status bar stays at the bottom of the window.
    EXPECT_EQ(w.dlg->StatusBarWidget()->geometry().bottom(),
              w.dlg->StatusBarWidget()->parentWidget()->height() - 1);

    w.Command(kCmdExpandAll);
    EXPECT_EQ(w.dlg->height(), height);
    EXPECT_EQ(Geometries(w), before);
    EXPECT_EQ(ToggleIcon(w, kToggleSize), kIconExpanded);
    EXPECT_TRUE(w.Control(kSliderSize)->isVisible());
}

TEST(Sections, CollapseAllLeavesAnAlreadyCollapsedSectionAlone) {
    WindowDriver w;
    const int height = w.dlg->height();
    w.Click(kToggleAudio);
    EXPECT_EQ(w.dlg->height(), height - 58);
    w.Command(kCmdCollapseAll);
    EXPECT_EQ(w.dlg->height(), height - 192);
    w.Command(kCmdShowAudio);  // expands Audio only
    EXPECT_EQ(w.dlg->height(), height - 134);
}

TEST(Sections, CollapsedAudioRowKeepsAusAndItsLockUsable) {
    WindowDriver w;
    const QRect aus = w.Control(kAudioOff)->geometry();
    const QRect unit = w.Control(kLabelAudioUnit)->geometry();
    const QRect edit = w.Control(kEditAudio)->geometry();
    w.Click(kToggleAudio);
    EXPECT_EQ(w.Text(kLabelAudioUnit), "kBits/s");
    EXPECT_EQ(w.Control(kLabelAudioUnit)->width(), unit.width() - 30);
    // "Aus" stands in the edit row, between "kBits/s" and "Fest".
    const QRect ausNow = w.Control(kAudioOff)->geometry();
    EXPECT_EQ(ausNow.topLeft(), aus.topLeft() - QPoint(47, 16));
    EXPECT_LT(qAbs(ausNow.center().y() - edit.center().y()), edit.height());
    EXPECT_LT(w.Control(kLabelAudioUnit)->geometry().right(), ausNow.left());
    EXPECT_LT(ausNow.right(), w.Control(kFixAudio)->geometry().left());
    w.ClickCheckBox(kAudioOff);
    EXPECT_EQ(w.Text(kLabelAudioData), "0 Byte");

    w.Click(kToggleAudio);
    EXPECT_EQ(w.Control(kAudioOff)->geometry(), aus);
    EXPECT_EQ(w.Control(kLabelAudioUnit)->geometry(), unit);
    EXPECT_EQ(w.Text(kLabelAudioUnit), "kBits / Sekunde");
}

TEST(Sections, CollapsedSizeKeepsTheCdRow) {
    WindowDriver w;
    w.Click(kToggleSize);
    EXPECT_FALSE(w.Control(kSliderSize)->isVisible());
    for (int id : {kComboCdSize, kEditCdCount, kLabelCds, kEditSize, kComboSizeUnit}) {
        EXPECT_TRUE(w.Control(id)->isVisible()) << id;
    }
}

TEST(Sections, AChangeTakesTheFocusFromAFieldWhichThenShowsItsNormalForm) {
    WindowDriver w;
    w.Type(kEditSeconds, "5");
    w.Command(kCmdShowVideo);
    EXPECT_EQ(QApplication::focusWidget(), w.Control(kCaptionTime));
    EXPECT_EQ(w.Text(kEditSeconds), "05");
    // Help texts follow the state; the item texts do not change.
    w.dlg->MenuAction(kCmdShowVideo)->hover();
    EXPECT_EQ(w.StatusMessage(), "Videoeinstellungsbereich erweitern");
    EXPECT_EQ(w.dlg->MenuAction(kCmdShowVideo)->text(), "Erw. Videoeingabe");
}

TEST(Sections, StatusBarHiddenAndSectionsCollapsedCombine) {
    WindowDriver w;
    const int height = w.dlg->height();
    w.Command(kCmdStatusBar);
    w.Click(kToggleTime);
    w.Command(kCmdStatusBar);
    w.Click(kToggleTime);
    EXPECT_EQ(w.dlg->height(), height);
    EXPECT_EQ(w.dlg->StatusBarWidget()->geometry().bottom(),
              w.dlg->StatusBarWidget()->parentWidget()->height() - 1);
}
