// Construction, start-up and the wiring of control notifications to handlers.
#include "mainwnd/rate_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSlider>
#include <algorithm>

#include "core/slider_scale.h"
#include "core/version.h"
#include "mainwnd/accessibility.h"
#include "mainwnd/caret_blink.h"
#include "mainwnd/status_bar.h"
#include "mainwnd/trackbar_notifier.h"
#include "res/dialog_template.h"
#include "res/resource_ids.h"
#include "system/system_exit.h"
#include "ui/dialog_builder.h"
#include "ui/icon_button.h"

// The client area below the menu bar. A left click on it, outside every
// control, takes the keyboard focus away from the controls.
class DialogSurface : public QWidget {
public:
    DialogSurface(CRateDlg* dlg) : QWidget(dlg), m_dlg(dlg) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) m_dlg->OnLButtonDown();
        QWidget::mousePressEvent(event);
    }

private:
    CRateDlg* m_dlg;
};

namespace {

template <typename T>
T* Bind(const std::map<int, QWidget*>& controls, int id) {
    const auto it = controls.find(id);
    return it == controls.end() ? nullptr : qobject_cast<T*>(it->second);
}

// A slider's range; a click beside the thumb moves it by a fifth of the range,
// as trackbars do by default.
void SetSliderRange(QSlider* slider, const SliderRange& range) {
    slider->setRange(range.minimum, range.maximum);
    slider->setPageStep(std::max(1, (range.maximum - range.minimum) / 5));
}

}  // namespace

CRateDlg::CRateDlg() : QWidget(nullptr), m_systemExit(new SystemExitRequests(this)) {
    m_model.Reset();
}

// The edit fields lose the focus while they are destroyed; by then there is
// no model left to show them from.
CRateDlg::~CRateDlg() {
    for (auto& [id, control] : m_controls)
        control->removeEventFilter(this);
}

QWidget* CRateDlg::GetDlgItem(int id) const {
    if (id == res::kStatusBar) return m_hStatusBar;
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QAction* CRateDlg::MenuAction(int id) const {
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

// Each icon is decoded once; state and section changes reuse it.
const QIcon& CRateDlg::Icon(int id) {
    auto it = m_icons.find(id);
    if (it == m_icons.end()) it = m_icons.emplace(id, LoadIcon(id)).first;
    return it->second;
}

QMenu* CRateDlg::MenuPopup(int index) const {
    return (index >= 0 && index < static_cast<int>(m_popups.size())) ? m_popups[index] : nullptr;
}

bool CRateDlg::Create() {
    const DialogTemplate& dialog = MainDialogTemplate();
    setFont(DialogFont());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAcceptDrops(true);  // a film file, for its duration

    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    BuildMenu();

    new CaretBlinkTimeout(this);
    m_surface = new DialogSurface(this);
    m_surface->setObjectName(QStringLiteral("surface"));
    InstallAccessibility();
    m_controls = BuildDialogControls(dialog, m_surface);
    WatchControls(m_controls);

    const QSize client = DialogSizeToPixels(dialog.width, dialog.height);
    m_menuHeight = m_menuBar->sizeHint().height();
    setFixedSize(client.width(), client.height() + m_menuHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - rect().center());
    }
    return OnInitDialog();
}

void CRateDlg::BuildMenu() {
    BuildMenuBar(MainMenuTemplate(), m_menuBar, &m_actions, &m_popups);
    for (auto& [id, action] : m_actions) {
        const int command = id;
        QAction* a = action;
        connect(a, &QAction::triggered, this, [this, a, command](bool checked) {
            // A menu item's check mark changes only when the program sets it.
            if (a->isCheckable()) a->setChecked(!checked);
            OnCommand(MakeCommand(command), 0);
        });
        connect(a, &QAction::hovered, this, [this, command] { OnMenuSelect(command, 0, nullptr); });
    }
    for (size_t i = 0; i < m_popups.size(); ++i) {
        QMenu* popup = m_popups[i];
        const int position = static_cast<int>(i);
        connect(popup, &QMenu::aboutToShow, this,
                [this, position, popup] { OnMenuSelect(position, kMenuPopupFlag, popup); });
        // The menu closes before its command runs, so that a message the
        // command shows stays. Moving on to the next pop-up empties part 0
        // only until that pop-up shows its own help text.
        connect(popup, &QMenu::aboutToHide, this,
                [this] { OnMenuSelect(0, kMenuClosedFlags, nullptr); });
    }
}

// Puts pop-up `popupPosition` and those after it at the right end of the
// menu bar: a separator in the bar right-aligns what follows it (the
// program's style asks for that), and the keyboard still reaches every title.
void CRateDlg::RightJustifyMenuItem(int popupPosition) {
    QMenu* popup = MenuPopup(popupPosition);
    if (!popup || m_menuBar->actions().contains(m_rightJustify)) return;
    m_rightJustify = m_menuBar->insertSeparator(popup->menuAction());
}

void CRateDlg::DoDataExchange() {
    const auto& c = m_controls;
    m_btnAudioOff = Bind<QCheckBox>(c, res::kAudioOff);
    m_lblHeader = Bind<QLabel>(c, res::kLabelHeader);
    m_lblVideoSlider = Bind<QLabel>(c, res::kLabelVideoSlider);
    m_lblTimeSlider = Bind<QLabel>(c, res::kLabelTimeSlider);
    m_lblAudioSlider = Bind<QLabel>(c, res::kLabelAudioSlider);
    m_lblVideoData = Bind<QLabel>(c, res::kLabelVideoData);
    m_lblTotalData = Bind<QLabel>(c, res::kLabelTotalData);
    m_lblAudioData = Bind<QLabel>(c, res::kLabelAudioData);
    m_editVideo = Bind<QLineEdit>(c, res::kEditVideo);
    m_editAudio = Bind<QLineEdit>(c, res::kEditAudio);
    m_editCdCount = Bind<QLineEdit>(c, res::kEditCdCount);
    m_comboCdSize = Bind<QComboBox>(c, res::kComboCdSize);
    m_editSize = Bind<QLineEdit>(c, res::kEditSize);
    m_lblSizeSlider = Bind<QLabel>(c, res::kLabelSizeSlider);
    m_comboSizeUnit = Bind<QComboBox>(c, res::kComboSizeUnit);
    m_editSeconds = Bind<QLineEdit>(c, res::kEditSeconds);
    m_editMinutes = Bind<QLineEdit>(c, res::kEditMinutes);
    m_editHours = Bind<QLineEdit>(c, res::kEditHours);
    m_chkVideoFix = Bind<QCheckBox>(c, res::kFixVideo);
    m_chkTimeFix = Bind<QCheckBox>(c, res::kFixTime);
    m_chkSizeFix = Bind<QCheckBox>(c, res::kFixSize);
    m_chkAudioFix = Bind<QCheckBox>(c, res::kFixAudio);
    m_sliderVideo = Bind<QSlider>(c, res::kSliderVideo);
    m_sliderTime = Bind<QSlider>(c, res::kSliderTime);
    m_sliderSize = Bind<QSlider>(c, res::kSliderSize);
    m_sliderAudio = Bind<QSlider>(c, res::kSliderAudio);
}

// The toolkit's signals stand for the control notifications: a text change
// of an edit, a selection made by the user in a list, a click on a check box
// (already checked or unchecked by then), a slider dragged or moved.
void CRateDlg::ConnectMessageMap() {
    for (QSlider* slider : {m_sliderTime, m_sliderAudio, m_sliderVideo, m_sliderSize}) {
        auto* notifier = new TrackbarNotifier(slider);
        connect(notifier, &TrackbarNotifier::thumbTrack, this,
                [this, slider] { OnHScroll(kThumbTrack, slider); });
        connect(notifier, &TrackbarNotifier::endTrack, this,
                [this, slider] { OnHScroll(kEndTrack, slider); });
    }
    connect(m_comboSizeUnit, &QComboBox::activated, this, &CRateDlg::OnSelChangeSizeUnit);
    connect(m_comboCdSize, &QComboBox::activated, this, &CRateDlg::OnSelChangeCdSize);
    connect(m_editSize, &QLineEdit::textChanged, this, &CRateDlg::OnChangeSize);
    connect(m_editVideo, &QLineEdit::textChanged, this, &CRateDlg::OnChangeVideo);
    connect(m_editAudio, &QLineEdit::textChanged, this, &CRateDlg::OnChangeAudio);
    connect(m_editHours, &QLineEdit::textChanged, this, &CRateDlg::OnChangeTime);
    connect(m_chkTimeFix, &QCheckBox::clicked, this, &CRateDlg::OnTimeFixed);
    connect(m_chkAudioFix, &QCheckBox::clicked, this, &CRateDlg::OnAudioFixed);
    connect(m_chkSizeFix, &QCheckBox::clicked, this, &CRateDlg::OnSizeFixed);
    connect(m_chkVideoFix, &QCheckBox::clicked, this, &CRateDlg::OnVideoFixed);
    connect(m_editCdCount, &QLineEdit::textChanged, this, &CRateDlg::OnChangeCdCount);
    connect(m_btnAudioOff, &QCheckBox::clicked, this, &CRateDlg::OnAudioOff);
    connect(m_editMinutes, &QLineEdit::textChanged, this, &CRateDlg::OnChangeTime);
    connect(m_editSeconds, &QLineEdit::textChanged, this, &CRateDlg::OnChangeTime);

    for (int id : {res::kToggleTime, res::kToggleAudio, res::kToggleVideo, res::kToggleSize}) {
        auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
        connect(button, &QAbstractButton::clicked, this,
                [this, id] { OnCommand(MakeCommand(id, kButtonClicked), 0); });
    }
    for (int id : {res::kEditHours, res::kEditMinutes, res::kEditSeconds, res::kEditAudio,
                   res::kEditVideo, res::kEditSize, res::kEditCdCount}) {
        GetDlgItem(id)->installEventFilter(this);
    }
}

bool CRateDlg::OnInitDialog() {
    DoDataExchange();
    ConnectMessageMap();
    m_bInitializing = true;
    const QIcon expandedIcon = Icon(res::kIconExpanded);
    m_comboSizeUnit->setCurrentIndex(1);  // "Megabyte"
    m_nShownState = kStateNone;
    ReadSettings();
    CreateStatusBar();
    if (m_model.statusShown == 0) ShowStatusBar(false);
    CheckMenuItem(res::kCmdAutoCalculate, m_model.autoCalculate != 0);
    CheckMenuItem(res::kCmdSaveOnExit, m_model.saveOnExit != 0);
    CheckMenuItem(res::kCmdAutoRange, m_model.autoRange != 0);
    OnSizeFixed();
    OnVideoFixed();
    OnAudioFixed();
    OnTimeFixed();

    const auto setToggleIcon = [&](int id) {
        static_cast<IconButton*>(GetDlgItem(id))->SetButtonIcon(expandedIcon, res::kIconExpanded);
    };

    SetSliderRange(m_sliderTime, kTimeSliderRange);
    ShowTime();
    ShowNumber(m_lblTimeSlider, m_model.totalMinutes, " Minuten", true);
    if (m_model.timeShown != 0) {
        setToggleIcon(res::kToggleTime);
    } else {
        ShowSection(Time, false);
    }
    UpdateSlider(Time);

    SetSliderRange(m_sliderAudio, kAudioSliderRange);
    ShowNumber(m_editAudio, m_model.audioRate, nullptr, false);
    ShowNumber(m_lblAudioSlider, m_model.audioRate, " kBits/s", false);
    if (m_model.audioShown != 0) {
        setToggleIcon(res::kToggleAudio);
    } else {
        ShowSection(Audio, false);
    }
    UpdateSlider(Audio);

    SetSliderRange(m_sliderVideo, kVideoSliderRange);
    ShowNumber(m_editVideo, m_model.videoRate, nullptr, false);
    ShowNumber(m_lblVideoSlider, m_model.videoRate, " kBits/s", false);
    if (m_model.videoShown != 0) {
        setToggleIcon(res::kToggleVideo);
    } else {
        ShowSection(Video, false);
    }
    UpdateSlider(Video);

    SetSliderRange(m_sliderSize, kSizeSliderRange);
    m_comboCdSize->setCurrentIndex(1);  // "700 MB", at every start
    ShowNumber(m_editCdCount, m_model.parts, nullptr, false);
    ShowNumber(m_editSize, GetAmount(3), nullptr, false);
    ShowNumber(m_lblSizeSlider, m_model.sizeBytes, " Byte", true);
    if (m_model.sizeShown != 0) {
        setToggleIcon(res::kToggleSize);
    } else {
        ShowSection(Size, false);
    }
    UpdateSlider(Size);

    CreateToolTips();
    if (m_model.tooltipsShown == 0) ActivateToolTips(false);
    setWindowTitle(QString::asprintf("Tessarin v%i.%i", version::kMajor, version::kMinor));
    setWindowIcon(Icon(res::kIconWindow));
    RightJustifyMenuItem(static_cast<int>(m_popups.size()) - 1);
    m_bInitializing = false;
    UpdateResults();

    // The first enabled control with a tab stop gets the keyboard focus.
    for (const DialogControl& c : MainDialogTemplate().controls) {
        QWidget* w = GetDlgItem(c.id);
        if ((c.style & kTabStop) && w && w->isEnabled() && !w->isHidden()) {
            w->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
    return true;
}

void CRateDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_menuBar->setGeometry(0, 0, width(), m_menuHeight);
    m_surface->setGeometry(0, m_menuHeight, width(), height() - m_menuHeight);
}

// The close box is the cancel command: it ends the program and hides the
// window at once, during a job only once it is cancelled.
void CRateDlg::closeEvent(QCloseEvent* event) {
    if (!ConfirmEndOfEncoding()) {
        event->ignore();
        return;
    }
    OnCommand(MakeCommand(res::kCmdCancel), 0);
    hide();
    event->accept();
}

// Tab and Shift+Tab stay with the focused control.
bool CRateDlg::focusNextPrevChild(bool) {
    return false;
}

bool CRateDlg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
        if (OnEditDrag(watched, event)) return true;
    }
    if (type == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Opening a menu, with the mouse or the keyboard, leaves the focus
        // where it is.
        if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason) {
            const int id = watched->property(kControlIdProperty).toInt();
            OnCommand(MakeCommand(id, kEditKillFocus), 0);
        }
    }
    return QWidget::eventFilter(watched, event);
}
