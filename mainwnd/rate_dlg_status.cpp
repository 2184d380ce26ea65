// The status bar with the validity state, the tooltips of the input
// controls, and the help texts of the menu items.
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <cstring>

#include "mainwnd/rate_dlg.h"
#include "mainwnd/status_bar.h"
#include "mainwnd/tool_tips.h"
#include "res/dialog_template.h"
#include "res/resource_ids.h"
#include "ui/dialog_builder.h"

namespace {

constexpr int kHelpPopupBase = 200;     // pop-up p shows string 200 + p
constexpr int kHelpItemOffset = 32560;  // item i shows string i - 32560
constexpr int kHelpOtherStateOffset = 32260;
constexpr int kToolTipStringOffset = 1010;  // control n shows string n - 1010
constexpr int kStatusBarHeightStep = 20;

struct StateLook {
    const char* word;
    const char* message;
    int icon;
};

const StateLook* LookOf(int state) {
    static constexpr StateLook kLooks[] = {
        {"Geprüft", "", res::kIconChecked},
        {"Ungeprüft", "Hier drücken, um neu zu berechnen. --->", res::kIconUnchecked},
        {"Fehlerhaft", "Ungültige Werte, bitte korrigieren.", res::kIconFaulty},
    };
    return (state >= 1 && state <= 3) ? &kLooks[state - 1] : nullptr;
}

}  // namespace

// The window grows or shrinks at its bottom edge; its top-left corner stays.
void CRateDlg::ResizeWindowBy(int dw, int dh) {
    setFixedSize(width() + dw, height() + dh);
}

bool CRateDlg::CreateStatusBar() {
    m_hStatusBar = new StatusBar(m_surface);
    // Along the bottom edge of the client area, over its whole width. It is
    // never repositioned by resizing.
    const int clientHeight = height() - m_menuHeight;
    m_hStatusBar->setGeometry(0, clientHeight - StatusBar::kHeight, width(), StatusBar::kHeight);
    const int w = width();
    m_hStatusBar->SetParts({w - 85, w - 30, w});
    connect(m_hStatusBar, &StatusBar::clicked, this, [this](bool right) {
        NotifyHeader header{m_hStatusBar, res::kStatusBar,
                            right ? kNotifyRightClick : kNotifyClick};
        OnNotify(&header);
    });
    return true;
}

// The bar itself stays; the window becomes 20 pixels lower so that the bar
// lies below the visible client area, and 20 pixels higher to bring it back.
void CRateDlg::ShowStatusBar(bool show) {
    SetMenuItemByPosition(1, 0, res::kCmdStatusBar, show ? "Status verbergen" : "Status anzeigen");
    ResizeWindowBy(0, show ? kStatusBarHeightStep : -kStatusBarHeightStep);
}

void CRateDlg::ShowStatus(int state) {
    if (!m_hStatusBar) return;
    m_hStatusBar->SetText(2, QString(), false);
    const StateLook* look = LookOf(state);
    if (!look) return;
    m_hStatusBar->SetText(1, QString::fromUtf8(look->word), false);
    m_hStatusBar->SetText(0, QString::fromUtf8(look->message), true);
    m_hStatusBar->SetIcon(2, Icon(look->icon), look->icon);
    // Heard as the word and the message, without the arrow that points at
    // the word on the screen.
    QString description = QString::fromUtf8(look->word);
    const QString message = StatusBar::Spoken(QString::fromUtf8(look->message));
    if (!message.isEmpty()) description += QStringLiteral(". ") + message;
    m_hStatusBar->SetStateDescription(description);
    PlanChanged();
}

bool CRateDlg::CreateToolTips() {
    m_hToolTip = new ToolTipController(this, [this](QWidget* tool) {
        ToolTipTextRequest request;
        request.header = {nullptr, 0, kNotifyNeedText};
        request.tool = tool;
        OnNotify(&request.header);
        return QString::fromUtf8(request.text);
    });
    for (int id = res::kSliderTime; id <= res::kEditCdCount; ++id) {
        QWidget* control = GetDlgItem(id);
        m_hToolTip->AddTool(control);
        if (const char* text = LoadString(id - kToolTipStringOffset); control && text) {
            control->setAccessibleDescription(QString::fromUtf8(text));
        }
    }
    return true;
}

void CRateDlg::ActivateToolTips(bool on) {
    SetMenuItemByPosition(1, 1, res::kCmdToolTips,
                          on ? "Tooltips deaktivieren" : "Tooltips aktivieren");
    if (m_hToolTip) m_hToolTip->Activate(on);
}

bool CRateDlg::OnNotify(NotifyHeader* header) {
    if (header->code == kNotifyNeedText) {
        // The header is the first member of a tooltip text request.
        auto* request = reinterpret_cast<ToolTipTextRequest*>(header);
        const QVariant id =
            request->tool ? request->tool->property(kControlIdProperty) : QVariant();
        const int n = id.toInt();
        if (n != 0) {
            if (const char* text = LoadString(n - kToolTipStringOffset)) {
                std::strncpy(request->text, text, sizeof request->text - 1);
                request->text[sizeof request->text - 1] = '\0';
            }
        }
    } else if (header->idFrom == res::kStatusBar &&
               (header->code == kNotifyClick || header->code == kNotifyRightClick)) {
        OnCommand(MakeCommand(res::kCmdRecalculate), 0);
    }
    return true;
}

void CRateDlg::OnMenuSelect(int item, uint32_t flags, QMenu* menu) {
    if (!m_hStatusBar || m_model.statusShown == 0) return;
    if (!(flags & kMenuSeparatorFlag) && flags != kMenuClosedFlags) {
        int string = 0;
        const auto pick = [&](int32_t flag) {
            return flag != 0 ? item - kHelpItemOffset : item - kHelpOtherStateOffset;
        };
        if (item < 10) {
            string = kHelpPopupBase + item;
        } else if (item == res::kCmdToolTips) {
            string = pick(m_model.tooltipsShown);
        } else if (item == res::kCmdShowTime) {
            string = pick(m_model.timeShown);
        } else if (item == res::kCmdShowAudio) {
            string = pick(m_model.audioShown);
        } else if (item == res::kCmdShowVideo) {
            string = pick(m_model.videoShown);
        } else if (item == res::kCmdShowSize) {
            string = pick(m_model.sizeShown);
        } else {
            string = item - kHelpItemOffset;
        }
        const char* text = LoadString(string);
        m_hStatusBar->SetText(0, text ? QString::fromUtf8(text) : QString());
    }
    if (flags == kMenuClosedFlags && menu == nullptr) m_hStatusBar->SetText(0, QString());
}

// A click on the dialog's own surface takes the focus from the controls; an
// edit field that loses it is shown again in its normal form.
void CRateDlg::OnLButtonDown() {
    if (QWidget* caption = GetDlgItem(res::kCaptionTime)) caption->setFocus(Qt::MouseFocusReason);
}
