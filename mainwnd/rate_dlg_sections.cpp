// The four sections collapse to their first row and expand again. There is
// no layout engine: every move is a fixed number of pixels relative to where
// a control stands, so collapsing and expanding must alternate per section,
// starting from the template layout.
#include <QAction>
#include <QLabel>

#include "ui/icon_button.h"
#include "mainwnd/rate_dlg.h"
#include "mainwnd/status_bar.h"
#include "res/resource_ids.h"

namespace {

using namespace res;

// Controls moved vertically when a section above them changes, in the order
// they are moved.
constexpr int kAudioBlock[] = {kLabelAudioMin, kLabelAudioMax, kLabelAudioUnit, kCaptionAudio,
                               kFrameAudio,    kToggleAudio,   kSliderAudio,    kLabelAudioSlider,
                               kFixAudio,      kEditAudio,     kAudioOff};
constexpr int kVideoBlock[] = {kLabelVideoMin, kLabelVideoMax, kLabelVideoUnit, kCaptionVideo,
                               kFrameVideo,    kToggleVideo,   kSliderVideo,    kLabelVideoSlider,
                               kFixVideo,      kEditVideo};
constexpr int kSizeBlock[] = {kLabelSizeMin, kLabelSizeMax, kCaptionSize, kLabelCds,
                              kFrameSize,    kToggleSize,   kSliderSize,  kLabelSizeSlider,
                              kEditCdCount,  kComboCdSize,  kFixSize,     kEditSize,
                              kComboSizeUnit};
constexpr int kResultsBlock[] = {
    kStatusBar,    kCaptionHeader, kCaptionAudioData, kCaptionVideoData, kCaptionTotalData,
    kFrameResults, kLabelHeader,   kLabelAudioData,   kLabelVideoData,   kLabelTotalData};

struct SectionLayout {
    int height;                           // pixels the section gains when expanded
    std::initializer_list<int> frames;    // frames from this section's top down
    std::initializer_list<int> extended;  // the row hidden while collapsed
    int menuItem;
    int toggle;
};

const SectionLayout& LayoutOf(int section) {
    static const SectionLayout kLayouts[] = {
        {46,
         {kFrameTime},
         {kSliderTime, kLabelTimeSlider, kLabelTimeMin, kLabelTimeMax},
         kCmdShowTime,
         kToggleTime},
        {58,
         {kFrameTime, kFrameAudio},
         {kSliderAudio, kLabelAudioSlider, kLabelAudioMin, kLabelAudioMax},
         kCmdShowAudio,
         kToggleAudio},
        {44,
         {kFrameTime, kFrameAudio, kFrameVideo},
         {kSliderVideo, kLabelVideoSlider, kLabelVideoMin, kLabelVideoMax},
         kCmdShowVideo,
         kToggleVideo},
        {44,
         {kFrameTime, kFrameAudio, kFrameVideo, kFrameSize},
         {kSliderSize, kLabelSizeSlider, kLabelSizeMin, kLabelSizeMax},
         kCmdShowSize,
         kToggleSize},
    };
    return kLayouts[section];
}

}  // namespace

int32_t& CRateDlg::SectionFlag(int section) {
    switch (section) {
        case Time:
            return m_model.timeShown;
        case Audio:
            return m_model.audioShown;
        case Video:
            return m_model.videoShown;
        default:
            return m_model.sizeShown;
    }
}

void CRateDlg::MoveControlBy(QWidget* control, int dx, int dy) {
    if (control) control->move(control->pos() + QPoint(dx, dy));
}

void CRateDlg::ResizeControlBy(QWidget* control, int dw, int dh) {
    if (control) control->resize(control->width() + dw, control->height() + dh);
}

void CRateDlg::MoveBlock(std::span<const int> ids, int dy) {
    for (const int id : ids)
        MoveControlBy(GetDlgItem(id), 0, dy);
}

void CRateDlg::ShowSection(int section, bool show) {
    if (section < Time || section > Size) return;
    const SectionLayout& layout = LayoutOf(section);
    const int s = show ? 1 : -1;
    const int d = s * layout.height;
    const int iconId = show ? kIconExpanded : kIconCollapsed;

    if (section == Audio) {
        // "Aus" moves up into the edit row, beside a shorter unit label.
        MoveControlBy(GetDlgItem(kAudioOff), s * 47, s * 16);
        ResizeControlBy(GetDlgItem(kLabelAudioUnit), s * 30, 0);
    }
    for (const int frame : layout.frames)
        ResizeControlBy(GetDlgItem(frame), 0, d);
    ResizeWindowBy(0, d);
    for (const int id : layout.extended) {
        if (QWidget* w = GetDlgItem(id)) w->setVisible(show);
    }
    if (section == Audio) {
        if (auto* unit = qobject_cast<QLabel*>(GetDlgItem(kLabelAudioUnit))) {
            unit->setText(show ? QStringLiteral("kBits / Sekunde") : QStringLiteral("kBits/s"));
        }
    }
    CheckMenuItem(layout.menuItem, show);
    if (auto* toggle = qobject_cast<IconButton*>(GetDlgItem(layout.toggle))) {
        toggle->SetButtonIcon(Icon(iconId), iconId);
    }
    if (section == Time) MoveBlock(kAudioBlock, d);
    if (section <= Audio) MoveBlock(kVideoBlock, d);
    if (section <= Video) MoveBlock(kSizeBlock, d);
    MoveBlock(kResultsBlock, d);

    // No edit field or button keeps the focus.
    if (QWidget* caption = GetDlgItem(kCaptionTime)) caption->setFocus(Qt::OtherFocusReason);
}

// A toggle button or menu item: the flag is inverted (anything non-zero
// counts as expanded) and the section follows it.
void CRateDlg::ToggleSection(int section) {
    int32_t& flag = SectionFlag(section);
    ToggleFlag(flag);
    ShowSection(section, flag != 0);
}

// "Alles a&usblenden" (0) and "Alles &einblenden" (1): only the sections not
// yet in the target state change, top to bottom.
void CRateDlg::ShowAllSections(int32_t target) {
    for (int section = Time; section <= Size; ++section) {
        int32_t& flag = SectionFlag(section);
        if ((flag != 0) == (target != 0)) continue;
        flag = target;
        ShowSection(section, target != 0);
    }
}
