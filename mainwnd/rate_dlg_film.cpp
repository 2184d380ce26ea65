// The duration from a film file: one local file dropped anywhere on the
// window, or named on the command line, is read off the window's thread and
// its duration entered as if typed into the three time fields at once.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <cstdio>

#include "mainwnd/film_reader.h"
#include "mainwnd/rate_dlg.h"
#include "mainwnd/status_bar.h"

namespace {

// The one local file a drag carries, or empty when it carries anything else.
QString FilmOf(const QMimeData* data) {
    if (!data || !data->hasUrls()) return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return QString();
    return urls.first().toLocalFile();
}

// Text dropped on an edit is taken as typing would take it: one line of
// printable characters.
bool TypableText(const QMimeData* data) {
    if (!data || data->hasUrls() || !data->hasText()) return false;
    const QString text = data->text();
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) return false;
    }
    return !text.isEmpty();
}

const char* GermanReason(media::ProbeError error) {
    switch (error) {
        case media::ProbeError::Missing:
            return "Datei nicht gefunden";
        case media::ProbeError::Folder:
            return "ein Ordner, keine Datei";
        case media::ProbeError::NotReadable:
            return "das Lesen schlug fehl";
        case media::ProbeError::NoPermission:
            return "kein Lesezugriff";
        case media::ProbeError::Empty:
            return "die Datei ist leer";
        case media::ProbeError::NotAFilm:
            return "keine Film- oder Tondatei";
        case media::ProbeError::NoDuration:
            return "sie nennt keine Länge";
        case media::ProbeError::TimedOut:
            return "das Lesen dauerte zu lange";
        case media::ProbeError::NoLibrary:
            return "FFmpegs libavformat fehlt";
        case media::ProbeError::None:
            break;
    }
    return "";
}

}  // namespace

void CRateDlg::OpenFilm(const QString& path, bool fromCommandLine) {
    if (!m_filmReader) {
        m_filmReader = new FilmReader(
            this,
            [this](const QString& file, const media::ProbeResult& r) { OnFilmRead(file, r); });
    }
    m_bFilmFromCommandLine = fromCommandLine;
    if (m_chkTimeFix->isChecked()) {
        OnFilmRead(path, {});
        return;
    }
    ShowFilmMessage(QStringLiteral("Lese %1 …"), path);
    m_filmReader->Read(path);
}

bool CRateDlg::FilmReadPending() const {
    return m_filmReader && m_filmReader->Pending();
}

void CRateDlg::OnFilmRead(const QString& path, const media::ProbeResult& result) {
    const bool report = m_bFilmFromCommandLine;
    m_bFilmFromCommandLine = false;
    // Checked again: the box may have been ticked while the file was read.
    if (m_chkTimeFix->isChecked()) {
        ShowFilmMessage(QStringLiteral("Videolänge ist fest: aus %1 nichts übernommen"), path);
        return;
    }
    if (!result.Ok()) {
        ShowFilmMessage(
            QStringLiteral("%1 nicht lesbar: ") + QString::fromUtf8(GermanReason(result.error)),
            path);
        if (report) {
            const std::string line =
                media::ErrorSentence(result.error, QFile::encodeName(path).toStdString());
            std::fprintf(stderr, "tessarin: %s\n", line.c_str());
        }
        return;
    }
    const long long total = result.facts.durationSeconds;
    const long long hours = total / 3600, minutes = total / 60 % 60, seconds = total % 60;
    ShowTwoDigits(m_editHours, hours);
    ShowTwoDigits(m_editMinutes, minutes);
    ShowTwoDigits(m_editSeconds, seconds);
    OnChangeTime();
    ShowFilmMessage(QStringLiteral("Videolänge aus %1 übernommen: ") +
                        QString::asprintf("%02lld:%02lld:%02lld", hours, minutes, seconds),
                    path);
}

// `format` holds %1 for the file's name, shortened in its middle where the
// whole message would not fit the part.
void CRateDlg::ShowFilmMessage(const QString& format, const QString& path) {
    if (!m_hStatusBar) return;
    const QString name = QFileInfo(path).fileName();
    const QFontMetrics metrics(m_hStatusBar->font());
    const int room = m_hStatusBar->TextRect(0).width() -
                     metrics.horizontalAdvance(QString(format).remove(QStringLiteral("%1")));
    m_hStatusBar->Announce(format.arg(metrics.elidedText(name, Qt::ElideMiddle, room)));
}

// Over an edit field the film wins over its path as text; other text is
// dropped as typing would take it. Returns whether the event was handled.
bool CRateDlg::OnEditDrag(QEvent* event) {
    auto* drag = static_cast<QDropEvent*>(event);
    const QString film = FilmOf(drag->mimeData());
    if (film.isEmpty() && TypableText(drag->mimeData())) return false;
    if (film.isEmpty()) {
        drag->ignore();
    } else {
        drag->acceptProposedAction();
        if (event->type() == QEvent::Drop) OpenFilm(film);
    }
    return true;
}

void CRateDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!FilmOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CRateDlg::dragMoveEvent(QDragMoveEvent* event) {
    if (!FilmOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CRateDlg::dropEvent(QDropEvent* event) {
    const QString film = FilmOf(event->mimeData());
    if (film.isEmpty()) return;
    event->acceptProposedAction();
    OpenFilm(film);
}
