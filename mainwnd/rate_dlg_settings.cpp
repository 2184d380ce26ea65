// The window's side of the stored settings: the check states of the lock
// boxes and "Aus" and the size unit go to and come from the store together
// with the model; the store itself knows no widgets.
#include <QCheckBox>
#include <QComboBox>

#include "mainwnd/rate_dlg.h"
#include "settings/file_registry.h"
#include "settings/stored_settings.h"

namespace {

uint8_t CheckState(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

}  // namespace

// Reads everything that can be read and applies it at once; what is missing
// keeps its state. The change handlers stay quiet meanwhile.
uint32_t CRateDlg::ReadSettings() {
    m_bUpdating = true;
    settings::FileRegistry registry(settings::DefaultSettingsPath());
    settings::StoredControls controls;
    unsigned read = 0;
    const settings::RegResult result =
        settings::ReadStoredSettings(registry, m_model, controls, &read);
    const std::pair<unsigned, std::pair<QCheckBox*, uint8_t>> boxes[] = {
        {settings::kReadTimeFix, {m_chkTimeFix, controls.timeFix}},
        {settings::kReadAudioFix, {m_chkAudioFix, controls.audioFix}},
        {settings::kReadVideoFix, {m_chkVideoFix, controls.videoFix}},
        {settings::kReadSizeFix, {m_chkSizeFix, controls.sizeFix}},
        {settings::kReadAudioOff, {m_btnAudioOff, controls.audioOff}},
    };
    for (const auto& [bit, box] : boxes) {
        if (read & bit) box.first->setChecked(box.second != 0);
    }
    if (read & settings::kReadSizeUnit) {
        // An index beyond the list selects nothing.
        const int index = controls.sizeUnit;
        m_comboSizeUnit->setCurrentIndex(index < m_comboSizeUnit->count() ? index : -1);
    }
    m_bUpdating = false;
    return static_cast<uint32_t>(result);
}

uint32_t CRateDlg::WriteSettings() {
    settings::FileRegistry registry(settings::DefaultSettingsPath());
    settings::StoredControls controls;
    controls.timeFix = CheckState(m_chkTimeFix);
    controls.audioFix = CheckState(m_chkAudioFix);
    controls.videoFix = CheckState(m_chkVideoFix);
    controls.sizeFix = CheckState(m_chkSizeFix);
    controls.audioOff = CheckState(m_btnAudioOff);
    // No selection answers -1, stored as its low byte.
    controls.sizeUnit = static_cast<uint8_t>(m_comboSizeUnit->currentIndex());
    return static_cast<uint32_t>(settings::WriteStoredSettings(registry, m_model, controls));
}
