// The window's side of a recalculation (what it shows after the rules of
// core/recalculation.h have solved), the validity state, and the change
// handlers of the edit fields, lists and check boxes.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

#include "core/recalculation.h"
#include "core/slider_scale.h"
#include "core/wrap.h"
#include "mainwnd/rate_dlg.h"
#include "res/resource_ids.h"

namespace {

// GetDlgItemInt: a signed 32-bit number between optional blanks; 0 when the
// text is not such a number.
int32_t TextToInt(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

// The duration of the three time fields, wrapping like all model arithmetic.
int64_t TotalSeconds(int64_t hours, int64_t minutes, int64_t seconds) {
    return wrap::Add(wrap::Mul(wrap::Add(wrap::Mul(hours, 60), minutes), 60), seconds);
}

}  // namespace

void CRateDlg::Recalculate(int changed, int target, bool force) {
    const LockStates locked = {m_chkTimeFix->isChecked(), m_chkAudioFix->isChecked(),
                               m_chkVideoFix->isChecked(), m_chkSizeFix->isChecked()};
    UpdateSlider(changed);
    ShowSliderLabel(changed, true);
    // The solve, its range rule and the nested correction show nothing on the
    // way; when the changed quantity was solved again, its controls are shown
    // here, before those of the solved one.
    const RecalcOutcome outcome =
        RecalculateModel(m_model, changed, target, force, locked, !m_bInitializing);
    if (outcome.solved != -1) {
        if (outcome.changedSolvedAgain) {
            ShowQuantity(changed);
            UpdateSlider(changed);
        }
        ShowQuantity(outcome.solved);
        UpdateSlider(outcome.solved);
    }
    UpdateResults();
}

void CRateDlg::ShowSliderLabel(int which, bool groupMinutes) {
    switch (which) {
        case Time:
            ShowNumber(m_lblTimeSlider, m_model.totalMinutes, " Minuten", groupMinutes);
            break;
        case Audio:
            ShowNumber(m_lblAudioSlider, m_model.audioRate, " kBits/s", false);
            break;
        case Video:
            ShowNumber(m_lblVideoSlider, m_model.videoRate, " kBits/s", false);
            break;
        case Size:
            ShowNumber(m_lblSizeSlider, m_model.sizeBytes, " Byte", true);
            break;
        default:
            break;
    }
}

// The edit field and slider label of a solved quantity.
void CRateDlg::ShowQuantity(int which) {
    switch (which) {
        case Time:
            ShowTime();
            break;
        case Audio:
            ShowNumber(m_editAudio, m_model.audioRate, nullptr, false);
            break;
        case Video:
            ShowNumber(m_editVideo, m_model.videoRate, nullptr, false);
            break;
        case Size:
            ShowNumber(m_editSize, GetAmount(3), nullptr, false);
            break;
        default:
            return;
    }
    ShowSliderLabel(which, true);
}

void CRateDlg::UpdateResults() {
    if (m_bInitializing) return;
    ShowNumber(m_lblHeader, m_model.headerBytes, " Byte", true);
    ShowNumber(m_lblAudioData, GetAmount(1), " Byte", true);
    ShowNumber(m_lblVideoData, GetAmount(2), " Byte", true);
    ShowNumber(m_lblTotalData, GetAmount(0), " Byte", true);
    const int state = m_model.Validity();
    if (state != m_nShownState) {
        m_nShownState = state;
        ShowStatus(state);
    }
    PlanChanged();
}

bool CRateDlg::ReadAllInputs() {
    int64_t hours = 0, minutes = 0, seconds = 0, audio = 0, video = 0, size = 0;
    bool ok = ReadNumber(res::kEditHours, &hours);
    ok = ReadNumber(res::kEditMinutes, &minutes) && ok;
    ok = ReadNumber(res::kEditSeconds, &seconds) && ok;
    ok = ReadNumber(res::kEditAudio, &audio) && ok;
    ok = ReadNumber(res::kEditVideo, &video) && ok;
    ok = ReadNumber(res::kEditSize, &size) && ok;
    if (!ok) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Prüfung fehlgeschlagen"),
                        QStringLiteral("Ungültige Werte entdeckt. Gehen Sie sicher, dass überall "
                                       "gültige numerische Werte stehen."),
                        QMessageBox::Ok, this);
        box.exec();
        return false;
    }
    m_model.audioRate = audio;
    m_model.videoRate = video;
    m_model.SetDuration(TotalSeconds(hours, minutes, seconds));
    m_model.SetSize(SizeToBytes(size));
    return true;
}

void CRateDlg::RefreshAll() {
    m_model.ClampAll();
    ShowSliderLabel(Time, false);
    ShowSliderLabel(Audio, false);
    ShowSliderLabel(Video, false);
    ShowTime();
    ShowNumber(m_editAudio, m_model.audioRate, nullptr, false);
    ShowNumber(m_editVideo, m_model.videoRate, nullptr, false);
    ShowNumber(m_editSize, GetAmount(3), nullptr, false);
    UpdateSlider(Time);
    UpdateSlider(Audio);
    UpdateSlider(Video);
    if (m_model.autoCalculate != 0) Recalculate(Size, -1, false);
}

void CRateDlg::RecalculateAll() {
    ReadAllInputs();
    Recalculate(Size, -1, true);
    m_nShownState = m_model.Validity();
    if (m_nShownState != kStateFaulty) {
        m_nShownState = kStateChecked;
        ShowStatus(kStateChecked);
    }
}

void CRateDlg::OnChangeTime() {
    if (m_bUpdating) return;
    int64_t hours = 0, minutes = 0, seconds = 0;
    bool ok = ReadNumber(res::kEditHours, &hours);
    ok = ReadNumber(res::kEditMinutes, &minutes) && ok;
    ok = ReadNumber(res::kEditSeconds, &seconds) && ok;
    if (!ok) {
        ShowTime();
        return;
    }
    if (m_model.autoRange != 0) {
        if (hours < 0) hours = 0;
        if (minutes < 0) minutes = 0;
        if (minutes > 59) {
            minutes = 59;
            ShowTwoDigits(m_editMinutes, 59);
        }
        if (seconds < 0) seconds = 0;
        if (seconds > 59) {
            seconds = 59;
            ShowTwoDigits(m_editSeconds, 59);
        }
    }
    m_model.SetDuration(TotalSeconds(hours, minutes, seconds));
    if (m_model.autoRange != 0 && m_model.totalSeconds < 1) m_model.SetDuration(1);
    Recalculate(Time, -1, false);
}

void CRateDlg::OnChangeAudio() {
    if (m_bUpdating) return;
    int64_t value = 0;
    if (!ReadNumber(res::kEditAudio, &value)) {
        ShowNumber(m_editAudio, m_model.audioRate, nullptr, false);
        return;
    }
    if (m_model.autoRange != 0) {
        if (value > kMaxAudioRate) {
            value = kMaxAudioRate;
            ShowNumber(m_editAudio, value, nullptr, false);
        } else if (value < kMinAudioRate) {
            value = kMinAudioRate;  // the edit keeps "1" so that it can grow into "128"
        }
    }
    m_model.audioRate = value;
    Recalculate(Audio, -1, false);
}

void CRateDlg::OnChangeVideo() {
    if (m_bUpdating) return;
    int64_t value = 0;
    if (!ReadNumber(res::kEditVideo, &value)) {
        ShowNumber(m_editVideo, m_model.videoRate, nullptr, false);
        return;
    }
    if (m_model.autoRange != 0 && value < 1) value = 1;
    m_model.videoRate = value;
    Recalculate(Video, -1, false);
}

void CRateDlg::OnChangeSize() {
    if (m_bUpdating) return;
    int64_t value = 0;
    if (!ReadNumber(res::kEditSize, &value)) {
        ShowNumber(m_editSize, GetAmount(3), nullptr, false);
        return;
    }
    value = SizeToBytes(value);
    if (m_model.autoRange != 0 && value < m_model.headerBytes) value = m_model.headerBytes;
    m_model.SetSize(value);
    Recalculate(Size, -1, false);
}

void CRateDlg::OnChangeCdCount() {
    if (m_bUpdating) return;
    int64_t value = 0;
    if (!ReadNumber(res::kEditCdCount, &value)) {
        ShowNumber(m_editCdCount, m_model.parts, nullptr, false);
        return;
    }
    if (m_model.autoRange != 0 && value < 1) value = 1;
    m_model.SetParts(value);
    Recalculate(Size, -1, false);
}

void CRateDlg::OnSelChangeSizeUnit() {
    ShowNumber(m_editSize, GetAmount(3), nullptr, false);
}

void CRateDlg::OnSelChangeCdSize() {
    if (m_bInitializing) return;
    const int32_t count = TextToInt(m_editCdCount->text());
    const int index = m_comboCdSize->currentIndex();
    if (index < 0 || index >= static_cast<int>(kCdSizes.size())) return;
    m_model.SetSize(wrap::Mul(kCdSizes[static_cast<size_t>(index)], count));
    ShowNumber(m_editSize, GetAmount(3), nullptr, false);
    Recalculate(Size, -1, false);
}

void CRateDlg::EnableControls(std::initializer_list<int> ids, bool enable) {
    for (const int id : ids) {
        if (QWidget* w = GetDlgItem(id)) w->setEnabled(enable);
    }
}

void CRateDlg::OnTimeFixed() {
    EnableControls(
        {res::kEditHours, res::kEditMinutes, res::kEditSeconds, res::kLabelTimeMin,
         res::kLabelTimeMax, res::kSliderTime, res::kLabelTimeFormat, res::kLabelTimeSlider},
        !m_chkTimeFix->isChecked());
}

void CRateDlg::OnAudioFixed() {
    EnableControls({res::kEditAudio, res::kSliderAudio, res::kLabelAudioMin, res::kLabelAudioMax,
                    res::kLabelAudioUnit, res::kLabelAudioSlider},
                   !m_chkAudioFix->isChecked() && !m_btnAudioOff->isChecked());
}

void CRateDlg::OnVideoFixed() {
    EnableControls({res::kEditVideo, res::kSliderVideo, res::kLabelVideoMin, res::kLabelVideoMax,
                    res::kLabelVideoUnit, res::kLabelVideoSlider},
                   !m_chkVideoFix->isChecked());
}

void CRateDlg::OnSizeFixed() {
    EnableControls({res::kEditCdCount, res::kComboCdSize, res::kEditSize, res::kComboSizeUnit,
                    res::kSliderSize, res::kLabelSizeSlider, res::kLabelSizeMin, res::kLabelSizeMax,
                    res::kLabelCds},
                   !m_chkSizeFix->isChecked());
}

void CRateDlg::OnAudioOff() {
    const bool off = m_btnAudioOff->isChecked();
    m_model.audioEnabled = off ? 0 : 1;
    if (off) {
        m_model.audioRate = 0;
    } else {
        // The audio edit still shows the rate from before the box was checked.
        ReadAllInputs();
    }
    Recalculate(Audio, Size, false);
    OnAudioFixed();
}
