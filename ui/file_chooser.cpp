#include "ui/file_chooser.h"

#include <QFile>
#include <QFileDialog>
#include <QUrl>

namespace {

std::function<QString()> g_answer;

// The labels of the toolkit's own dialog; a desktop's dialog has its own.
void Label(QFileDialog& dialog, const QString& accept) {
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Suchen in:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Dateiname:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Dateityp:"));
    dialog.setLabelText(QFileDialog::Accept, accept);
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
}

QString Run(QFileDialog& dialog) {
    if (g_answer) return g_answer();
    if (dialog.exec() != QDialog::Accepted) return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

}  // namespace

QByteArray ChooseFilmFile(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QStringLiteral("Film öffnen"), folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Filme (*.mkv *.mp4 *.m4v *.avi *.mov *.webm *.mpg "
                                          "*.mpeg *.ts *.m2ts *.vob *.ogv *.wmv *.flv)"),
                           QStringLiteral("Alle Dateien (*)")});
    Label(dialog, QStringLiteral("Öffnen"));
    if (g_answer) return QFile::encodeName(g_answer());
    if (dialog.exec() != QDialog::Accepted) return {};
    const QList<QUrl> urls = dialog.selectedUrls();
    return urls.isEmpty() ? QByteArray() : LocalPathBytes(urls.first());
}

QString ChooseOutputFile(QWidget* parent, const QString& current) {
    QFileDialog dialog(parent, QStringLiteral("Zieldatei wählen"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters({QStringLiteral("Matroska (*.mkv)"), QStringLiteral("MP4 (*.mp4)")});
    if (current.endsWith(QLatin1String(".mp4"), Qt::CaseInsensitive))
        dialog.selectNameFilter(QStringLiteral("MP4 (*.mp4)"));
    dialog.selectFile(current);
    Label(dialog, QStringLiteral("Auswählen"));
    return Run(dialog);
}

QByteArray LocalPathBytes(const QUrl& url) {
    const bool local = url.isLocalFile() && (url.host().isEmpty() || url.host() == "localhost");
    if (!local) return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

void SetFileChooserForTests(std::function<QString()> answer) {
    g_answer = std::move(answer);
}
