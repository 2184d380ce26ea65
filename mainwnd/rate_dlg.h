// The main window: one fixed-size dialog built from template 101 with menu
// 130. It owns the film model and shows it; every edit, list, lock box and
// slider change goes through the handlers below into the model and back out
// through the recalculation. Geometry is absolute and changes only by fixed
// pixel amounts; there is no layout engine.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "core/film_model.h"
#include "media/film_probe.h"

class CEncodeDlg;
class FilmReader;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QSlider;
class StatusBar;
class SystemExitRequests;
class ToolTipController;

// Notification codes that reach OnNotify and OnCommand.
inline constexpr int kNotifyClick = -2;
inline constexpr int kNotifyRightClick = -5;
inline constexpr int kNotifyNeedText = -520;
inline constexpr int kEditChange = 0x0300;
inline constexpr int kEditKillFocus = 0x0200;
inline constexpr int kButtonClicked = 0;
// Slider scroll codes: the thumb is being dragged, a move has ended.
inline constexpr int kThumbTrack = 5;
inline constexpr int kEndTrack = 8;
// Menu-selection flags: a pop-up was selected; the menu has closed.
inline constexpr uint32_t kMenuPopupFlag = 0x0010;
inline constexpr uint32_t kMenuSeparatorFlag = 0x0800;
inline constexpr uint32_t kMenuClosedFlags = 0xFFFF;

// What OnNotify receives: the sender and the notification code, and for a
// tooltip request the tool and an 80-character text buffer to fill.
struct NotifyHeader {
    QWidget* from = nullptr;
    int idFrom = 0;
    int code = 0;
};
struct ToolTipTextRequest {
    NotifyHeader header;
    QWidget* tool = nullptr;
    char text[80] = {};
};

// Builds a command word as a menu, a button or an edit notification carries it.
constexpr uint32_t MakeCommand(int id, int code = 0) {
    return (static_cast<uint32_t>(code) << 16) | static_cast<uint32_t>(id & 0xFFFF);
}

class CRateDlg : public QWidget {
    Q_OBJECT

public:
    CRateDlg();
    ~CRateDlg() override;

    // Creates the window's widgets from the template and initialises them
    // (OnInitDialog). The window stays hidden until shown.
    bool Create();

    QWidget* GetDlgItem(int id) const;
    QMenuBar* MenuBar() const { return m_menuBar; }
    QAction* MenuAction(int id) const;
    // Pop-up `index` of the menu bar: 0 "&Steuerung" … 3 "&Film", 4 "&Hilfe".
    QMenu* MenuPopup(int index) const;
    StatusBar* StatusBarWidget() const { return m_hStatusBar; }
    const FilmModel& Model() const { return m_model; }

    // Commands: menu items, the close box, toggle buttons and edit focus loss.
    bool OnCommand(uint32_t wParam, intptr_t lParam);
    // Status bar clicks and tooltip text requests.
    bool OnNotify(NotifyHeader* header);

    // Takes the duration of the film at `path`, read off the window's
    // thread; the latest request wins. `path` as the file system names it
    // (bytes, not always UTF-8), or as text chosen or typed. From the command
    // line, a file that cannot be read is also named on standard error.
    void OpenFilm(const QByteArray& path, bool fromCommandLine = false);
    void OpenFilm(const QString& path, bool fromCommandLine = false);
    bool FilmReadPending() const;
    // The "Film kodieren" dialog once it has been opened, else null.
    CEncodeDlg* EncodeDialog() const { return m_encodeDlg; }

    // Registry-backed settings (the store lives in settings/).
    uint32_t ReadSettings();
    uint32_t WriteSettings();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class DialogSurface;

    // Start-up.
    bool OnInitDialog();
    void DoDataExchange();
    void ConnectMessageMap();
    void BuildMenu();
    void RightJustifyMenuItem(int popupPosition);

    // Number display.
    void ShowNumber(QWidget* control, int64_t value, const char* suffix, bool group);
    void ShowTwoDigits(QWidget* control, int64_t value);
    int64_t GetAmount(int which) const;
    bool ReadNumber(int id, int64_t* out) const;
    int64_t SizeToBytes(int64_t amount) const;
    void ShowTime();

    // Recalculation and the change handlers.
    void Recalculate(int changed, int target, bool force);
    void UpdateResults();
    bool ReadAllInputs();
    void RefreshAll();
    void RecalculateAll();
    void ShowQuantity(int which);
    void ShowSliderLabel(int which, bool groupMinutes);
    void OnChangeTime();
    void OnChangeAudio();
    void OnChangeVideo();
    void OnChangeSize();
    void OnChangeCdCount();
    void OnSelChangeSizeUnit();
    void OnSelChangeCdSize();
    void OnTimeFixed();
    void OnAudioFixed();
    void OnVideoFixed();
    void OnSizeFixed();
    void OnAudioOff();
    void EnableControls(std::initializer_list<int> ids, bool enable);

    // A film file's duration; `messageAt` in the window's coordinates.
    void ReadFilm(const QByteArray& path, bool fromCommandLine, QPoint messageAt);
    void OnFilmRead(const QByteArray& path, const media::ProbeResult& result);
    void TellFilm(const QString& format, const QByteArray& path, bool besideOnly);
    void ShowFilmMessage(const QString& format, const QByteArray& path);
    bool OnEditDrag(QObject* edit, QEvent* event);

    // Encoding the film (rate_dlg_encode.cpp).
    void OnOpenFilmCommand();
    void OnEncodeFilmCommand();
    void OpenEncodeDialog();
    // The film whose duration was taken (or that "Fest" kept it from) is
    // the one to encode; `path` as the file system names it.
    void FilmChosen(const QByteArray& path);
    // Shows the plan to an open encode dialog.
    void PlanChanged();
    // True when the program may end: no job runs, or the user let it be
    // cancelled.
    bool ConfirmEndOfEncoding();

    // Sliders.
    void UpdateSlider(int which);
    void OnHScroll(int code, QSlider* bar);

    // Sections.
    int32_t& SectionFlag(int section);
    void ShowSection(int section, bool show);
    void ToggleSection(int section);
    void ShowAllSections(int32_t target);
    void MoveControlBy(QWidget* control, int dx, int dy);
    void ResizeControlBy(QWidget* control, int dw, int dh);
    void MoveBlock(std::span<const int> ids, int dy);

    const QIcon& Icon(int id);

    // Commands.
    void ToggleFlag(int32_t& flag);
    void CheckMenuItem(int id, bool checked);
    void SetMenuItemByPosition(int popup, int position, int id, const char* text);
    void OpenInfoDialog();

    // Status bar, tooltips, menu help.
    bool CreateStatusBar();
    void ShowStatusBar(bool show);
    void ShowStatus(int state);
    bool CreateToolTips();
    void ActivateToolTips(bool on);
    void OnMenuSelect(int item, uint32_t flags, QMenu* menu);
    void OnLButtonDown();
    void ResizeWindowBy(int dw, int dh);

    bool m_bUpdating = false;
    bool m_bInitializing = false;
    int32_t m_nShownState = 0;
    StatusBar* m_hStatusBar = nullptr;
    ToolTipController* m_hToolTip = nullptr;
    FilmModel m_model;

    QCheckBox* m_btnAudioOff = nullptr;
    QLabel* m_lblHeader = nullptr;
    QLabel* m_lblVideoSlider = nullptr;
    QLabel* m_lblTimeSlider = nullptr;
    QLabel* m_lblAudioSlider = nullptr;
    QLabel* m_lblVideoData = nullptr;
    QLabel* m_lblTotalData = nullptr;
    QLabel* m_lblAudioData = nullptr;
    QLineEdit* m_editVideo = nullptr;
    QLineEdit* m_editAudio = nullptr;
    QLineEdit* m_editCdCount = nullptr;
    QComboBox* m_comboCdSize = nullptr;
    QLineEdit* m_editSize = nullptr;
    QLabel* m_lblSizeSlider = nullptr;
    QComboBox* m_comboSizeUnit = nullptr;
    QLineEdit* m_editSeconds = nullptr;
    QLineEdit* m_editMinutes = nullptr;
    QLineEdit* m_editHours = nullptr;
    QCheckBox* m_chkVideoFix = nullptr;
    QCheckBox* m_chkTimeFix = nullptr;
    QCheckBox* m_chkSizeFix = nullptr;
    QCheckBox* m_chkAudioFix = nullptr;
    QSlider* m_sliderVideo = nullptr;
    QSlider* m_sliderTime = nullptr;
    QSlider* m_sliderSize = nullptr;
    QSlider* m_sliderAudio = nullptr;

    // The window's surface below the menu bar (the client area), its
    // controls by identifier, and the menu.
    QWidget* m_surface = nullptr;
    std::map<int, QWidget*> m_controls;
    QMenuBar* m_menuBar = nullptr;
    int m_menuHeight = 0;
    QAction* m_rightJustify = nullptr;  // the separator before "&Hilfe"
    std::vector<QMenu*> m_popups;
    std::map<int, QAction*> m_actions;
    std::map<int, QIcon> m_icons;
    // Log-off, restart and power-off requests still waiting for an answer.
    SystemExitRequests* m_systemExit = nullptr;
    FilmReader* m_filmReader = nullptr;
    bool m_bFilmFromCommandLine = false;
    CEncodeDlg* m_encodeDlg = nullptr;
    QByteArray m_filmSource;       // the film to encode
    QByteArray m_encodeAfterRead;  // chosen by "Film kodieren…": the dialog opens once it is read
    QPoint m_filmMessageAt;  // where a message is shown beside the status bar
};
