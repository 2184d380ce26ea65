#include "encodedlg/encode_text.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

#include "core/number_text.h"

namespace encodetext {

namespace {

QString ProbeReason(media::ProbeError error) {
    switch (error) {
        case media::ProbeError::Missing:
            return QStringLiteral("Datei nicht gefunden");
        case media::ProbeError::Folder:
            return QStringLiteral("ein Ordner, keine Datei");
        case media::ProbeError::Empty:
            return QStringLiteral("die Datei ist leer");
        case media::ProbeError::NotAFilm:
            return QStringLiteral("keine Film- oder Tondatei");
        case media::ProbeError::NoDuration:
            return QStringLiteral("sie nennt keine Länge");
        case media::ProbeError::TimedOut:
            return QStringLiteral("das Lesen dauerte zu lange");
        case media::ProbeError::NoLibrary:
            return QStringLiteral("FFmpegs libavformat fehlt");
        default:
            return QStringLiteral("sie kann nicht gelesen werden");
    }
}

}  // namespace

QString Step(const encode::Progress& progress) {
    switch (progress.step) {
        case encode::Step::Pass1:
            return QStringLiteral("1. Durchgang");
        case encode::Step::Pass2:
            if (progress.attempt <= 1) return QStringLiteral("2. Durchgang");
            return QStringLiteral("2. Durchgang, Korrektur %1").arg(progress.attempt - 1);
        case encode::Step::Cut:
            return QStringLiteral("Wird in Teile geschnitten");
    }
    return QString();
}

QString Failure(const encode::Outcome& outcome) {
    using F = encode::Failure;
    switch (outcome.failure) {
        case F::None:
            return QString();
        case F::NotChecked:
            return QStringLiteral("Die Werte im Hauptfenster sind nicht geprüft.");
        case F::SourceUnreadable:
            return QStringLiteral("Der Film ist nicht lesbar: %1.")
                .arg(ProbeReason(outcome.probeError));
        case F::NoVideo:
            return QStringLiteral("Die Datei enthält kein Bild.");
        case F::VideoRateTooLow:
            return QStringLiteral("Die Videodatenrate ist für dieses Bild zu niedrig.");
        case F::AudioRateTooLow:
            return QStringLiteral("Die Audiodatenrate ist für diesen Audiocodec zu niedrig.");
        case F::AudioOverBudget:
            return QStringLiteral("Schon der Ton allein passt nicht in die Größe.");
        case F::BadOutput:
            return QStringLiteral(
                "Die Zieldatei muss auf .mkv oder .mp4 enden und darf nicht der Film selbst "
                "sein.");
        case F::BadPreset:
            return QStringLiteral("Diese Voreinstellung kennt der Codec nicht.");
        case F::BadHeight:
            return QStringLiteral("Auf diese Bildhöhe kann nicht umgerechnet werden.");
        case F::OutputExists:
            return QStringLiteral("Die Zieldatei gibt es schon.");
        case F::NoSpace:
            return QStringLiteral("Im Zielordner ist nicht genug Platz frei.");
        case F::FfmpegMissing:
            return QStringLiteral(
                "Das Programm ffmpeg fehlt; bitte das Debian-Paket „ffmpeg“ installieren.");
        case F::NotWritable:
            return QStringLiteral("In den Zielordner kann nicht geschrieben werden.");
        case F::DiskFull:
            return QStringLiteral("Der Datenträger ist voll.");
        case F::FfmpegFailed:
            return QStringLiteral("ffmpeg hat mit einem Fehler aufgehört.");
        case F::NoFit:
            return QStringLiteral("Auch nach drei Versuchen passte der Film nicht in die Größe.");
        case F::Cancelled:
            return QStringLiteral("Abgebrochen.");
    }
    return QStringLiteral("Unbekannter Fehler.");
}

QString Grouped(int64_t value) {
    char text[kFormatNumberBufferSize];
    return QString::fromLatin1(FormatNumber(value, text, true));
}

QString FramesPerSecond(double fps) {
    if (!(fps > 0)) return QString();
    return QString::number(fps, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')) +
           QStringLiteral(" Bilder/s");
}

QString TimeLeft(double seconds) {
    if (!(seconds >= 0) || seconds > 1e7) return QStringLiteral("Restzeit: unbekannt");
    const auto total = static_cast<long long>(std::ceil(seconds));
    return QStringLiteral("Restzeit: ") +
           QString::asprintf("%02lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
}

QString FileLine(const encode::OutputFile& file) {
    const QString name = QFileInfo(QFile::decodeName(file.path.c_str())).fileName();
    return QStringLiteral("%1: %2 von %3 Byte, %4")
        .arg(name, Grouped(file.bytes), Grouped(file.capacity),
             file.bytes <= file.capacity ? QStringLiteral("passt") : QStringLiteral("passt nicht"));
}

QString ResultSentence(const QString& outputName, const encode::Outcome& outcome) {
    if (!outcome.Ok())
        return QStringLiteral("%1 konnte nicht kodiert werden: %2")
            .arg(outputName, Failure(outcome));
    qsizetype over = 0;
    for (const encode::OutputFile& file : outcome.files)
        over += file.bytes > file.capacity ? 1 : 0;
    const qsizetype count = outcome.files.size();
    if (over > 0)
        return QStringLiteral("%1 ist fertig, aber %2 von %3 Dateien passen nicht.")
            .arg(outputName)
            .arg(over)
            .arg(count);
    if (count == 1) return QStringLiteral("%1 ist fertig und passt.").arg(outputName);
    return QStringLiteral("%1 ist fertig: alle %2 Dateien passen.").arg(outputName).arg(count);
}

namespace {

// The job's English description of a stream left out, in German:
// "subtitle stream 3 (subrip, ger)" → "Untertitel 3 (subrip, ger)",
// "audio stream 1 (aac, 2 channels): audio off" → "Tonspur 1 (aac, 2 Kanäle):
// Ton aus", "4 chapters" → "4 Kapitel". What it does not know stays as it is.
QString GermanStream(QString item) {
    static const std::pair<const char*, const char*> kWords[] = {
        {"cover picture stream ", "Titelbild "},
        {"video stream ", "Bildspur "},
        {"audio stream ", "Tonspur "},
        {"subtitle stream ", "Untertitel "},
        {"attachment stream ", "Anhang "},
        {"data stream ", "Datenspur "},
        {" channels,", " Kanäle,"},
        {" channels)", " Kanäle)"},
        {" channel,", " Kanal,"},
        {" channel)", " Kanal)"},
        {": audio off", ": Ton aus"},
    };
    for (const auto& [english, german] : kWords)
        item.replace(QLatin1String(english), QString::fromUtf8(german));
    static const QRegularExpression kChapters(QStringLiteral("^(\\d+) chapters$"));
    item.replace(kChapters, QStringLiteral("\\1 Kapitel"));
    return item;
}

}  // namespace

QString LeftOut(const std::vector<std::string>& leftOut) {
    if (leftOut.empty()) return QString();
    QStringList items;
    for (const std::string& item : leftOut)
        items << GermanStream(QString::fromStdString(item));
    return QStringLiteral("Ausgelassen: ") + items.join(QStringLiteral(", "));
}

}  // namespace encodetext
