// Commands: menu items, the close box, the section toggle buttons and the
// focus loss of edit fields.
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>

#include "info/info_dlg.h"
#include "mainwnd/rate_dlg.h"
#include "res/resource_ids.h"
#include "system/system_exit.h"

namespace {

// Ends the main loop the way a posted quit message does: after the command
// and everything queued before it have been handled. Unlike the toolkit's
// quit, it closes no window on the way.
void PostQuit() {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

}  // namespace

void CRateDlg::ToggleFlag(int32_t& flag) {
    flag = (flag == 0) ? 1 : 0;
}

void CRateDlg::CheckMenuItem(int id, bool checked) {
    QAction* action = MenuAction(id);
    if (!action) return;
    // Only a checked item shows a mark; an unchecked one looks plain.
    action->setCheckable(checked);
    action->setChecked(checked);
}

// Replaces the item at `position` of pop-up `popup` by a string item.
void CRateDlg::SetMenuItemByPosition(int popup, int position, int id, const char* text) {
    QMenu* menu = MenuPopup(popup);
    if (!menu) return;
    const QList<QAction*> items = menu->actions();
    if (position < 0 || position >= items.size()) return;
    QAction* action = items[position];
    action->setText(QString::fromUtf8(text));
    action->setData(id);
}

// A fresh dialog for every opening, modal over this window; only the cube's
// rotation phase outlives it.
void CRateDlg::OpenInfoDialog() {
    g_pInfoDlg = new CInfoDlg(this);
    g_pInfoDlg->DoModal();
    delete g_pInfoDlg;
    g_pInfoDlg = nullptr;
}

bool CRateDlg::OnCommand(uint32_t wParam, intptr_t) {
    const int id = static_cast<int>(wParam & 0xFFFF);
    const int code = static_cast<int>(wParam >> 16);
    switch (id) {
        case res::kCmdCancel:
        case res::kCmdExit:
            if (ConfirmEndOfEncoding()) PostQuit();
            break;
        // These ask the system and return at once; the answer, if any, comes
        // later and shows nothing.
        case res::kCmdLogOff:
            m_systemExit->Request(SystemExit::LogOff);
            break;
        case res::kCmdRestart:
            m_systemExit->Request(SystemExit::Restart);
            break;
        case res::kCmdShutDown:
            m_systemExit->Request(SystemExit::PowerOff);
            break;
        case res::kEditHours:
        case res::kEditMinutes:
        case res::kEditSeconds:
            if (code == kEditKillFocus) ShowTime();
            break;
        case res::kEditAudio:
            if (code == kEditKillFocus) ShowNumber(m_editAudio, m_model.audioRate, nullptr, false);
            break;
        case res::kEditVideo:
            if (code == kEditKillFocus) ShowNumber(m_editVideo, m_model.videoRate, nullptr, false);
            break;
        case res::kToggleTime:
        case res::kToggleAudio:
        case res::kToggleVideo:
        case res::kToggleSize:
            ToggleSection(id - res::kToggleTime);
            break;
        case res::kCmdShowTime:
        case res::kCmdShowAudio:
        case res::kCmdShowVideo:
        case res::kCmdShowSize:
            ToggleSection(id - res::kCmdShowTime);
            break;
        case res::kCmdCollapseAll:
            ShowAllSections(0);
            break;
        case res::kCmdExpandAll:
            ShowAllSections(1);
            break;
        case res::kCmdStatusBar:
            ToggleFlag(m_model.statusShown);
            ShowStatusBar(m_model.statusShown != 0);
            break;
        case res::kCmdToolTips:
            ToggleFlag(m_model.tooltipsShown);
            ActivateToolTips(m_model.tooltipsShown != 0);
            break;
        case res::kCmdAutoCalculate:
            ToggleFlag(m_model.autoCalculate);
            CheckMenuItem(res::kCmdAutoCalculate, m_model.autoCalculate != 0);
            if (m_model.autoCalculate == 1) RefreshAll();
            break;
        case res::kCmdAutoRange:
            ToggleFlag(m_model.autoRange);
            CheckMenuItem(res::kCmdAutoRange, m_model.autoRange != 0);
            if (m_model.autoRange == 1) RefreshAll();
            break;
        case res::kCmdSaveOnExit:
            ToggleFlag(m_model.saveOnExit);
            CheckMenuItem(res::kCmdSaveOnExit, m_model.saveOnExit != 0);
            break;
        case res::kCmdSaveSettings:
            WriteSettings();
            break;
        case res::kCmdRecalculate:
            RecalculateAll();
            break;
        case res::kCmdInfo:
            OpenInfoDialog();
            break;
        case res::kCmdOpenFilm:
            OnOpenFilmCommand();
            break;
        case res::kCmdEncodeFilm:
            OnEncodeFilmCommand();
            break;
        default:
            break;
    }
    return true;
}
