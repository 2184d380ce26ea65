// Numbers into controls and back: the text forms of the edit fields and
// labels, always set under the update guard.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <cstdio>

#include "core/number_text.h"
#include "core/wrap.h"
#include "mainwnd/accessibility.h"
#include "mainwnd/rate_dlg.h"
#include "res/resource_ids.h"

namespace {

// Texts are composed in 256 bytes: a number with its suffix never exceeds 255
// characters.
constexpr std::size_t kTextBufferSize = 256;

void SetControlText(QWidget* control, const char* text) {
    const QString s = QString::fromLatin1(text);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(s);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        const QString before = label->text();
        label->setText(s);
        NotifyTextChanged(label, before);
    }
}

}  // namespace

void CRateDlg::ShowNumber(QWidget* control, int64_t value, const char* suffix, bool group) {
    char number[kFormatNumberBufferSize];
    char text[kTextBufferSize];
    FormatNumber(value, number, group);
    std::snprintf(text, sizeof text, "%s%s", number, suffix ? suffix : "");
    m_bUpdating = true;
    SetControlText(control, text);
    m_bUpdating = false;
}

void CRateDlg::ShowTwoDigits(QWidget* control, int64_t value) {
    char text[kTextBufferSize];
    // The low 32 bits as unsigned: -1 shows as 4294967295.
    std::snprintf(text, sizeof text, "%02u", static_cast<unsigned>(static_cast<uint32_t>(value)));
    m_bUpdating = true;
    SetControlText(control, text);
    m_bUpdating = false;
}

void CRateDlg::ShowTime() {
    ShowTwoDigits(m_editHours, m_model.hours);
    ShowTwoDigits(m_editMinutes, m_model.minutes);
    ShowTwoDigits(m_editSeconds, m_model.seconds);
}

int64_t CRateDlg::GetAmount(int which) const {
    switch (which) {
        case 0:
            return m_model.TotalBytes();
        case 1:
            return m_model.AudioBytes();
        case 2:
            return m_model.VideoBytes();
        case 3:
            switch (m_comboSizeUnit->currentIndex()) {
                case 0:
                    return m_model.sizeGB;
                case 1:
                    return m_model.sizeMB;
                case 2:
                    return m_model.sizeKB;
                default:
                    return m_model.sizeBytes;
            }
        default:
            return m_model.sizeBytes;
    }
}

// The size edit's number in bytes: shifted by the selected unit, without an
// overflow test.
int64_t CRateDlg::SizeToBytes(int64_t amount) const {
    switch (m_comboSizeUnit->currentIndex()) {
        case 0:
            return wrap::Shl(amount, 30);
        case 1:
            return wrap::Shl(amount, 20);
        case 2:
            return wrap::Shl(amount, 10);
        default:
            return amount;
    }
}

bool CRateDlg::ReadNumber(int id, int64_t* out) const {
    const auto* edit = qobject_cast<const QLineEdit*>(GetDlgItem(id));
    if (!edit) return false;
    // Only the first characters take part; any character outside ASCII is
    // not a digit, so reading the UTF-8 bytes decides the same.
    const QByteArray text = edit->text().left(static_cast<int>(kReadNumberMaxChars)).toUtf8();
    return ParseNumber(std::string_view(text.constData(), static_cast<size_t>(text.size())), out);
}
