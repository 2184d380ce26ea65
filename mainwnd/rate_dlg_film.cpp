// The duration from a film file: one local file dropped anywhere on the
// window, or named on the command line, is read off the window's thread and
// its duration entered as if typed into the three time fields at once.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMimeData>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <cstdio>

#include "mainwnd/film_reader.h"
#include "mainwnd/rate_dlg.h"
#include "mainwnd/status_bar.h"
#include "ui/file_chooser.h"

namespace {

// How long a message stays up beside the drop, and how far above the status
// bar its point lies at least.
constexpr int kFilmTipMs = 5000;
constexpr int kFilmTipClearance = 40;

// The one local file a drag carries, as the file system names it, or empty
// when it carries anything else.
QByteArray FilmOf(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    return urls.size() == 1 ? LocalPathBytes(urls.first()) : QByteArray();
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

// A file's name for the eye; bytes that are not UTF-8 show as U+FFFD.
QString DisplayName(const QByteArray& path) {
    return QFileInfo(QFile::decodeName(path)).fileName();
}

QString Clock(long long total) {
    return QString::asprintf("%02lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
}

}  // namespace

void CRateDlg::OpenFilm(const QString& path, bool fromCommandLine) {
    OpenFilm(QFile::encodeName(path), fromCommandLine);
}

void CRateDlg::OpenFilm(const QByteArray& path, bool fromCommandLine) {
    const QPoint minutes = m_editMinutes->geometry().center();
    ReadFilm(path, fromCommandLine, m_editMinutes->parentWidget()->mapTo(this, minutes));
}

void CRateDlg::ReadFilm(const QByteArray& path, bool fromCommandLine, QPoint messageAt) {
    if (!m_filmReader) {
        m_filmReader = new FilmReader(
            this,
            [this](const QByteArray& file, const media::ProbeResult& r) { OnFilmRead(file, r); });
    }
    m_bFilmFromCommandLine = fromCommandLine;
    m_filmMessageAt = messageAt;
    if (m_chkTimeFix->isChecked()) {
        // The latest file wins also when it is refused: a read still under
        // way must not land afterwards.
        m_filmReader->Cancel();
        OnFilmRead(path, {});
        return;
    }
    ShowFilmMessage(QStringLiteral("Lese %1 …"), path);
    m_filmReader->Read(path);
}

bool CRateDlg::FilmReadPending() const {
    return m_filmReader && m_filmReader->Pending();
}

void CRateDlg::OnFilmRead(const QByteArray& path, const media::ProbeResult& result) {
    const bool report = m_bFilmFromCommandLine;
    m_bFilmFromCommandLine = false;
    if (result.Ok() || m_chkTimeFix->isChecked()) FilmChosen(path);
    // Checked again: the box may have been ticked while the file was read.
    if (m_chkTimeFix->isChecked()) {
        TellFilm(QStringLiteral("Videolänge ist fest: aus %1 nichts übernommen"), path, false);
        return;
    }
    if (!result.Ok()) {
        TellFilm(
            QStringLiteral("%1 nicht lesbar: ") + QString::fromUtf8(GermanReason(result.error)),
            path, false);
        if (report) {
            const std::string line = media::ErrorSentence(result.error, path.toStdString());
            std::fprintf(stderr, "tessarin: %s\n", line.c_str());
        }
        return;
    }
    const long long total = result.facts.durationSeconds;
    const int stateBefore = m_nShownState;
    ShowTwoDigits(m_editHours, total / 3600);
    ShowTwoDigits(m_editMinutes, total / 60 % 60);
    ShowTwoDigits(m_editSeconds, total % 60);
    OnChangeTime();
    // Told from what the fields show now: the locks and the range rules may
    // have solved the duration again. Short enough for the status bar to
    // keep room for the file's name. Without sound the audio rate stays.
    const QString shown =
        m_editHours->text() + ':' + m_editMinutes->text() + ':' + m_editSeconds->text();
    const bool silent = result.facts.hasVideo && !result.facts.hasAudio;
    const QString name = silent ? QStringLiteral("%1 (ohne Ton)") : QStringLiteral("%1");
    QString message;
    if (shown != Clock(total)) {
        message = name + QStringLiteral(": ") + Clock(total) + QStringLiteral(", neu berechnet: ");
    } else if (silent) {
        message = QStringLiteral("Videolänge aus ") + name + QStringLiteral(": ");
    } else {
        message = QStringLiteral("Videolänge aus %1 übernommen: ");
    }
    message += shown;
    // The message of a new state ("Ungültige Werte, …") keeps the status bar.
    TellFilm(message, path, m_nShownState != stateBefore && m_nShownState != kStateChecked);
}

// The message that ends a read: in the status bar, unless `besideOnly`; and
// for a few seconds where the file was dropped when it is not in the status
// bar, or the bar is hidden.
void CRateDlg::TellFilm(const QString& format, const QByteArray& path, bool besideOnly) {
    if ((besideOnly || m_model.statusShown == 0) && m_hStatusBar) {
        // Above the status bar: the tip hangs below its point, and must not
        // hide the state.
        QPoint at = m_filmMessageAt;
        at.setY(std::min(at.y(), m_hStatusBar->mapTo(this, QPoint()).y() - kFilmTipClearance));
        QToolTip::showText(mapToGlobal(at), format.arg(DisplayName(path)), this, QRect(),
                           kFilmTipMs);
    }
    if (!besideOnly) ShowFilmMessage(format, path);
}

// `format` holds %1 for the file's name, shortened in its middle where the
// whole message would not fit the part.
void CRateDlg::ShowFilmMessage(const QString& format, const QByteArray& path) {
    if (!m_hStatusBar) return;
    const QString name = DisplayName(path);
    const QFontMetrics metrics(m_hStatusBar->font());
    const int room = m_hStatusBar->TextRect(0).width() -
                     metrics.horizontalAdvance(QString(format).remove(QStringLiteral("%1")));
    m_hStatusBar->Announce(format.arg(metrics.elidedText(name, Qt::ElideMiddle, room)));
}

// Over an edit field the film wins over its path as text; other text is
// dropped as typing would take it. Returns whether the event was handled.
bool CRateDlg::OnEditDrag(QObject* edit, QEvent* event) {
    auto* drag = static_cast<QDropEvent*>(event);
    const QByteArray film = FilmOf(drag->mimeData());
    if (film.isEmpty() && TypableText(drag->mimeData())) return false;
    if (film.isEmpty()) {
        drag->ignore();
    } else {
        drag->acceptProposedAction();
        auto* widget = qobject_cast<QWidget*>(edit);
        if (event->type() == QEvent::Drop && widget)
            ReadFilm(film, false, widget->mapTo(this, drag->position().toPoint()));
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
    const QByteArray film = FilmOf(event->mimeData());
    if (film.isEmpty()) return;
    event->acceptProposedAction();
    ReadFilm(film, false, event->position().toPoint());
}
