// The "Film" menu: a film chosen in a file chooser is taken as a dropped one
// is, and the "Film kodieren" dialog gets the film, the plan of this window
// and the choices kept in the settings; a job in it keeps the program from
// ending unless the user lets it be cancelled.
#include <QCheckBox>
#include <QFileInfo>

#include "encodedlg/encode_dlg.h"
#include "mainwnd/rate_dlg.h"
#include "settings/encode_settings.h"
#include "settings/file_registry.h"
#include "ui/file_chooser.h"

namespace {

settings::StoredEncodeChoices Stored(const EncodeChoices& c) {
    return {static_cast<uint8_t>(c.videoCodec), static_cast<uint8_t>(c.audioCodec),
            static_cast<uint8_t>(c.speed)};
}

EncodeChoices ReadChoices() {
    settings::FileRegistry registry(settings::DefaultSettingsPath());
    settings::StoredEncodeChoices stored;
    settings::ReadEncodeSettings(registry, stored);
    return {stored.videoCodec, stored.audioCodec, stored.speed};
}

}  // namespace

void CRateDlg::OnOpenFilmCommand() {
    const QString folder =
        m_filmSource.isEmpty() ? QString() : QFileInfo(QFile::decodeName(m_filmSource)).path();
    const QByteArray path = ChooseFilmFile(this, folder);
    if (!path.isEmpty()) OpenFilm(path);
}

// Without a film, one is chosen first; the dialog opens once it is read.
void CRateDlg::OnEncodeFilmCommand() {
    if (!m_filmSource.isEmpty()) {
        OpenEncodeDialog();
        return;
    }
    const QByteArray path = ChooseFilmFile(this);
    if (path.isEmpty()) return;
    m_encodeAfterRead = path;
    OpenFilm(path);
}

void CRateDlg::FilmChosen(const QByteArray& path) {
    m_filmSource = path;
    if (m_encodeDlg) m_encodeDlg->SetSource(path);
    if (m_encodeAfterRead == path) {
        m_encodeAfterRead.clear();
        OpenEncodeDialog();
    }
}

void CRateDlg::OpenEncodeDialog() {
    if (!m_encodeDlg) {
        m_encodeDlg = new CEncodeDlg(this);
        connect(m_encodeDlg, &CEncodeDlg::jobStarting, this, [](const EncodeChoices& choices) {
            settings::FileRegistry registry(settings::DefaultSettingsPath());
            settings::WriteEncodeSettings(registry, Stored(choices));
        });
    }
    if (!m_encodeDlg->Running()) {
        m_encodeDlg->SetChoices(ReadChoices());
        m_encodeDlg->SetSource(m_filmSource);
        PlanChanged();
    }
    m_encodeDlg->show();
    m_encodeDlg->raise();
    m_encodeDlg->activateWindow();
}

void CRateDlg::PlanChanged() {
    if (!m_encodeDlg) return;
    EncodePlan p;
    p.plan.videoKbit = m_model.videoRate;
    p.plan.audioOff = m_btnAudioOff->isChecked();
    p.plan.audioKbit = p.plan.audioOff ? 0 : m_model.audioRate;
    p.plan.parts = m_model.parts;
    p.plan.partCapacity = m_model.parts > 0 ? m_model.sizeBytes / m_model.parts : 0;
    p.plan.checked = m_nShownState == kStateChecked;
    p.sizeBytes = m_model.sizeBytes;
    p.state = m_nShownState;
    m_encodeDlg->SetPlan(p);
}

bool CRateDlg::ConfirmEndOfEncoding() {
    return !m_encodeDlg || m_encodeDlg->ConfirmCancel();
}
