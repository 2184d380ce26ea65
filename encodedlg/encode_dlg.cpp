#include "encodedlg/encode_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QUrl>
#include <algorithm>
#include <array>
#include <filesystem>

#include "core/film_model.h"
#include "encodedlg/desktop_job.h"
#include "encodedlg/encode_accessible.h"
#include "encodedlg/encode_runner.h"
#include "encodedlg/encode_text.h"
#include "res/dialog_template.h"
#include "res/resource_ids.h"
#include "ui/dialog_builder.h"
#include "ui/file_chooser.h"
#include "ui/list_box.h"

using namespace res;

namespace {

constexpr int kDescriptionOffset = 1010;  // control n is described by string n - 1010

constexpr std::array<const char*, kBestSpeed + 1> kX26xPresets = {
    "ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower", "veryslow"};
constexpr encode::VideoCodec kVideoCodecs[] = {encode::VideoCodec::H264, encode::VideoCodec::H265,
                                               encode::VideoCodec::VP9};
constexpr encode::AudioCodec kAudioCodecs[] = {encode::AudioCodec::AAC, encode::AudioCodec::Opus,
                                               encode::AudioCodec::MP3};

std::string g_ffmpeg;

// Set once the platform has asked the program to quit (the end of the
// desktop session): from then on nobody is asked anything.
bool g_sessionEnding = false;

class SessionEndWatcher : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The program ends its own loop without this event; only the
        // platform sends it, before it closes the windows.
        if (event->type() == QEvent::Quit && watched == QCoreApplication::instance())
            g_sessionEnding = true;
        return false;
    }
};

void WatchSessionEnd() {
    static SessionEndWatcher* watcher = [] {
        auto* w = new SessionEndWatcher;
        w->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(w);
        return w;
    }();
    (void)watcher;
}

template <typename T>
T* Bind(const std::map<int, QWidget*>& controls, int id) {
    const auto it = controls.find(id);
    return it == controls.end() ? nullptr : qobject_cast<T*>(it->second);
}

QString Shown(const QByteArray& path) {
    return QFile::decodeName(path);
}

QString Rate(int64_t kbit) {
    return encodetext::Grouped(kbit) + QStringLiteral(" kBits/s");
}

// Asks with the buttons "Ja" and "Nein"; true for "Ja".
bool AskYesNo(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace

std::string PresetAt(int videoCodec, int speed) {
    speed = std::clamp(speed, 0, kBestSpeed);
    if (kVideoCodecs[std::clamp(videoCodec, 0, 2)] == encode::VideoCodec::VP9)
        return std::to_string(kBestSpeed - speed);
    return kX26xPresets[static_cast<size_t>(speed)];
}

QByteArray DefaultOutput(const QByteArray& source) {
    const qsizetype slash = source.lastIndexOf('/');
    const qsizetype dot = source.lastIndexOf('.');
    const QByteArray stem = dot > slash + 1 ? source.left(dot) : source;
    return stem + ".tessarin.mkv";
}

void CEncodeDlg::SetFfmpegForTests(const std::string& program) {
    g_ffmpeg = program;
}

CEncodeDlg::CEncodeDlg(QWidget* parent)
    : QDialog(parent), m_runner(new EncodeRunner(this)), m_desktop(new DesktopJob(this)) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    WatchSessionEnd();
    InstallEncodeAccessibility();
    const DialogTemplate& dialog = EncodeDialogTemplate();
    setFont(DialogFont());
    setWindowTitle(QString::fromUtf8(dialog.caption));
    setFixedSize(DialogSizeToPixels(dialog.width, dialog.height));
    m_controls = BuildDialogControls(dialog, this);
    for (const auto& [id, control] : m_controls) {
        if (const char* text = LoadString(id - kDescriptionOffset))
            control->setAccessibleDescription(QString::fromUtf8(text));
    }
    DoDataExchange();
    ConnectControls();
    // The end of the loop, however it came, ends a job cleanly first.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_runner->CancelAndWait(); });
    ShowRunning(false);
    ShowPreset();
}

// The runner, a child, cancels and waits for a job still running.
CEncodeDlg::~CEncodeDlg() = default;

QWidget* CEncodeDlg::GetDlgItem(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CEncodeDlg::DoDataExchange() {
    const auto& c = m_controls;
    m_lblSource = Bind<QLabel>(c, kEncodeSource);
    m_lblVideo = Bind<QLabel>(c, kEncodeVideoRate);
    m_lblAudio = Bind<QLabel>(c, kEncodeAudioRate);
    m_lblSize = Bind<QLabel>(c, kEncodeSize);
    m_lblState = Bind<QLabel>(c, kEncodeState);
    m_comboVideo = Bind<QComboBox>(c, kEncodeVideoCodec);
    m_comboAudio = Bind<QComboBox>(c, kEncodeAudioCodec);
    m_sliderSpeed = Bind<QSlider>(c, kEncodeSpeed);
    m_lblPreset = Bind<QLabel>(c, kEncodePreset);
    m_editOutput = Bind<QLineEdit>(c, kEncodeOutput);
    m_listFiles = Bind<ListBox>(c, kEncodeFiles);
    m_lblLeftOut = Bind<QLabel>(c, kEncodeLeftOut);
    m_progress = Bind<QProgressBar>(c, kEncodeProgress);
    m_lblStep = Bind<QLabel>(c, kEncodeStep);
    m_lblFps = Bind<QLabel>(c, kEncodeFps);
    m_lblTimeLeft = Bind<QLabel>(c, kEncodeTimeLeft);
    m_lblResult = Bind<QLabel>(c, kEncodeResult);
    m_btnStart = Bind<QPushButton>(c, kEncodeStart);
    m_btnCancel = Bind<QPushButton>(c, kEncodeCancel);
    m_btnDetails = Bind<QPushButton>(c, kEncodeDetails);
    m_btnOpenFolder = Bind<QPushButton>(c, kEncodeOpenFolder);
}

void CEncodeDlg::ConnectControls() {
    m_sliderSpeed->setRange(0, kBestSpeed);
    m_sliderSpeed->setPageStep(1);
    m_progress->setFormat(QStringLiteral("%p %"));
    m_comboVideo->setCurrentIndex(0);
    m_comboAudio->setCurrentIndex(0);
    connect(m_comboVideo, &QComboBox::activated, this, &CEncodeDlg::OnVideoCodec);
    connect(m_comboAudio, &QComboBox::activated, this, [this](int index) { m_audioCodec = index; });
    connect(m_sliderSpeed, &QSlider::valueChanged, this, &CEncodeDlg::ShowPreset);
    connect(m_editOutput, &QLineEdit::textChanged, this, &CEncodeDlg::ShowFileNames);
    connect(Bind<QPushButton>(m_controls, kEncodeBrowse), &QPushButton::clicked, this,
            &CEncodeDlg::OnBrowse);
    connect(m_btnStart, &QPushButton::clicked, this, &CEncodeDlg::OnStart);
    connect(m_btnCancel, &QPushButton::clicked, m_runner, &EncodeRunner::Cancel);
    connect(m_btnDetails, &QPushButton::clicked, this, &CEncodeDlg::OnDetails);
    connect(m_btnOpenFolder, &QPushButton::clicked, this, &CEncodeDlg::OnOpenFolder);
    connect(Bind<QPushButton>(m_controls, kEncodeClose), &QPushButton::clicked, this,
            &CEncodeDlg::reject);
    // Enter starts the job, from wherever the focus is.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    m_btnStart->setDefault(true);
    m_btnDetails->setCheckable(true);  // pressed while the encoder's lines are shown
    m_comboVideo->setFocus();
    connect(m_runner, &EncodeRunner::progressed, this, &CEncodeDlg::OnProgress);
    connect(m_runner, &EncodeRunner::finished, this, &CEncodeDlg::OnFinished);
}

// The same film keeps the target the user chose; a film given during a job
// is taken when the job ends.
void CEncodeDlg::SetSource(const QByteArray& path) {
    m_nextSource = path;
    if (Running() || path == m_source) return;
    m_source = path;
    const QFileInfo info(Shown(path));
    m_lblSource->setText(m_lblSource->fontMetrics().elidedText(info.fileName(), Qt::ElideMiddle,
                                                               m_lblSource->width()));
    m_lblSource->setToolTip(QDir::toNativeSeparators(info.absoluteFilePath()));
    m_defaultOutput = path.isEmpty() ? QByteArray() : DefaultOutput(path);
    m_editOutput->setText(Shown(m_defaultOutput));
    UpdateButtons();
}

QByteArray CEncodeDlg::OutputPath() const {
    const QString text = m_editOutput->text().trimmed();
    return text == Shown(m_defaultOutput) ? m_defaultOutput : QFile::encodeName(text);
}

void CEncodeDlg::SetPlan(const EncodePlan& plan) {
    m_plan = plan;
    if (Running()) return;
    ShowPlan();
    ShowFileNames();
    UpdateButtons();
}

void CEncodeDlg::SetChoices(const EncodeChoices& choices) {
    if (Running()) return;
    m_comboVideo->setCurrentIndex(std::clamp(choices.videoCodec, 0, m_comboVideo->count() - 1));
    m_audioCodec = std::clamp(choices.audioCodec, 0, m_comboAudio->count() - 1);
    m_sliderSpeed->setValue(std::clamp(choices.speed, 0, kBestSpeed));
    ShowPlan();
    ShowPreset();
}

EncodeChoices CEncodeDlg::Choices() const {
    return {m_comboVideo->currentIndex(), m_audioCodec, m_sliderSpeed->value()};
}

bool CEncodeDlg::Running() const {
    return m_runner->Running();
}

bool CEncodeDlg::ConfirmCancel() {
    if (!Running()) return true;
    if (!g_sessionEnding &&
        !AskYesNo(isVisible() ? this : parentWidget(), QStringLiteral("Film kodieren"),
                  QStringLiteral("Kodierung abbrechen?")))
        return false;
    m_runner->CancelAndWait();
    return true;
}

// Escape, the close box and "Schließen": during a job only after "Ja".
void CEncodeDlg::reject() {
    if (ConfirmCancel()) QDialog::reject();
}

void CEncodeDlg::OnVideoCodec() {
    ShowPreset();
}

void CEncodeDlg::ShowPreset() {
    const std::string preset = PresetAt(m_comboVideo->currentIndex(), m_sliderSpeed->value());
    const bool vp9 = m_comboVideo->currentIndex() == 2;
    m_lblPreset->setText(vp9 ? QStringLiteral("Stufe %1").arg(QString::fromStdString(preset))
                             : QString::fromStdString(preset));
}

void CEncodeDlg::ShowPlan() {
    const EncodePlan& p = Running() ? m_jobPlan : m_plan;
    m_lblVideo->setText(Rate(p.plan.videoKbit));
    m_lblAudio->setText(p.plan.audioOff ? QStringLiteral("Aus (ohne Ton)")
                                        : Rate(p.plan.audioKbit));
    m_lblSize->setText(
        p.plan.parts == 1
            ? QStringLiteral("1 Datei, höchstens %1 Byte").arg(encodetext::Grouped(p.sizeBytes))
            : QStringLiteral("%1 × %2 Byte (höchstens %3 Byte)")
                  .arg(encodetext::Grouped(p.plan.parts), encodetext::Grouped(p.plan.partCapacity),
                       encodetext::Grouped(p.sizeBytes)));
    QString state;
    if (Running()) {
        state = QStringLiteral("Geprüft; für die laufende Kodierung festgehalten");
    } else if (p.state == kStateChecked) {
        state = QStringLiteral("Geprüft");
    } else if (p.state == kStateUnchecked) {
        state = QStringLiteral(
            "Ungeprüft: erst im Hauptfenster neu berechnen (Statusleiste anklicken), dann kann "
            "kodiert werden.");
    } else {
        state = QStringLiteral(
            "Fehlerhaft: erst die ungültigen Werte im Hauptfenster korrigieren, dann kann "
            "kodiert werden.");
    }
    m_lblState->setText(state);
    // No audio codec while audio is off; the choice comes back with the sound.
    m_comboAudio->setCurrentIndex(p.plan.audioOff ? -1 : m_audioCodec);
    m_comboAudio->setEnabled(!Running() && !p.plan.audioOff);
}

void CEncodeDlg::ShowFileNames() {
    if (Running()) return;
    m_showingDetails = false;
    m_btnDetails->setChecked(false);
    QStringList names;
    const QByteArray output = OutputPath();
    if (!output.isEmpty()) {
        for (const std::string& name :
             encode::OutputNames(output.toStdString(), std::max<int64_t>(1, m_plan.plan.parts)))
            names << QFileInfo(QFile::decodeName(name.c_str())).fileName();
    }
    ShowLines(names, LineKind::Names);
}

// The lines as they fit the list's width: a file's name is shortened in its
// middle, so that its size and whether it fits stay in view, and the
// encoder's lines are wrapped. A screen reader gets each whole line.
void CEncodeDlg::ShowLines(const QStringList& lines, LineKind kind) {
    m_listFiles->clear();
    const QFontMetrics metrics(m_listFiles->font());
    // The viewport has its size only once shown; the frame's inside has it now.
    const QRect inside = m_listFiles->contentsRect();
    int room = inside.width() - 4;
    if (lines.size() > inside.height() / std::max(1, metrics.height()))
        room -= m_listFiles->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (const QString& line : lines) {
        if (kind == LineKind::Encoder) {
            QString rest = line;
            while (metrics.horizontalAdvance(rest) > room) {
                qsizetype cut = rest.size() - 1;
                while (cut > 1 && metrics.horizontalAdvance(rest.left(cut)) > room)
                    --cut;
                m_listFiles->addItem(rest.left(cut));
                rest = QStringLiteral("  ") + rest.mid(cut);
            }
            m_listFiles->addItem(rest);
            continue;
        }
        const qsizetype split =
            kind == LineKind::Results ? line.lastIndexOf(QStringLiteral(": ")) : line.size();
        const QString tail = line.mid(split);
        auto* item =
            new QListWidgetItem(metrics.elidedText(line.left(split), Qt::ElideMiddle,
                                                   room - metrics.horizontalAdvance(tail)) +
                                tail);
        item->setData(Qt::AccessibleTextRole, line);
        m_listFiles->addItem(item);
    }
}

void CEncodeDlg::ShowRunning(bool running) {
    for (int id : {kEncodeStep, kEncodeFps, kEncodeTimeLeft})
        GetDlgItem(id)->setVisible(running);
    m_lblResult->setVisible(!running);
    for (int id : {kEncodeVideoCodec, kEncodeSpeed, kEncodeOutput, kEncodeBrowse})
        GetDlgItem(id)->setEnabled(!running);
    ShowPlan();
    UpdateButtons();
}

void CEncodeDlg::UpdateButtons() {
    const bool running = Running();
    m_btnStart->setEnabled(!running && !m_source.isEmpty() && m_plan.state == kStateChecked);
    m_btnCancel->setEnabled(running);
    m_btnDetails->setEnabled(!running && !m_detailLines.isEmpty());
    m_btnOpenFolder->setEnabled(!running && m_lastOk);
}

QString CEncodeDlg::OutputName() const {
    return QFileInfo(Shown(m_jobOutput)).fileName();
}

bool CEncodeDlg::AskOverwrite(const QStringList& existing) {
    QString text = QStringLiteral("Diese Dateien gibt es schon:\n\n");
    for (const QString& name : existing)
        text += name + QLatin1Char('\n');
    text += QStringLiteral("\nÜberschreiben?");
    return AskYesNo(this, QStringLiteral("Film kodieren"), text);
}

void CEncodeDlg::OnStart() {
    if (Running() || m_source.isEmpty() || m_plan.state != kStateChecked) return;
    const QByteArray output = OutputPath();
    const int64_t parts = std::max<int64_t>(1, m_plan.plan.parts);
    QStringList existing;
    for (const std::string& name : encode::OutputNames(output.toStdString(), parts)) {
        if (std::filesystem::exists(name))
            existing << QDir::toNativeSeparators(QFile::decodeName(name.c_str()));
    }
    if (!existing.isEmpty() && !AskOverwrite(existing)) return;

    encode::JobSpec request;
    request.source = m_source.toStdString();
    request.plan = m_plan.plan;
    const EncodeChoices choices = Choices();
    request.video = kVideoCodecs[std::clamp(choices.videoCodec, 0, 2)];
    request.audio = kAudioCodecs[std::clamp(choices.audioCodec, 0, 2)];
    request.preset = PresetAt(choices.videoCodec, choices.speed);
    request.output = output.toStdString();
    request.force = !existing.isEmpty();
    request.ffmpeg = g_ffmpeg;
    Q_EMIT jobStarting(choices);

    m_jobPlan = m_plan;
    m_jobOutput = output;
    m_lastOk = false;
    m_detailLines.clear();
    m_resultLines.clear();
    m_lblLeftOut->clear();
    m_lblResult->clear();
    m_progress->setValue(0);
    m_lblFps->clear();
    m_lblTimeLeft->setText(encodetext::TimeLeft(-1));
    Announce(m_lblStep, QStringLiteral("Wird vorbereitet"));
    if (!m_runner->Start(request)) return;
    m_desktop->Started();
    ShowRunning(true);
}

void CEncodeDlg::OnProgress(const encode::Progress& progress) {
    if (!Running()) return;
    m_progress->setValue(static_cast<int>(std::clamp(progress.fraction, 0.0, 1.0) * 100));
    const QString step = encodetext::Step(progress);
    if (step != m_lblStep->text()) Announce(m_lblStep, step);
    m_lblFps->setText(encodetext::FramesPerSecond(progress.fps));
    m_lblTimeLeft->setText(encodetext::TimeLeft(progress.secondsLeft));
    m_desktop->Progressed(progress.fraction);
}

void CEncodeDlg::OnFinished(const encode::Outcome& outcome) {
    m_desktop->Ended();
    m_lastOk = outcome.Ok();
    for (const encode::OutputFile& file : outcome.files)
        m_resultLines << encodetext::FileLine(file);
    m_detailLines =
        QString::fromStdString(outcome.details).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Shortened to its line; the whole list in its tooltip and description.
    const QString leftOut = m_lastOk ? encodetext::LeftOut(outcome.leftOut) : QString();
    m_lblLeftOut->setText(
        m_lblLeftOut->fontMetrics().elidedText(leftOut, Qt::ElideRight, m_lblLeftOut->width()));
    m_lblLeftOut->setToolTip(leftOut);
    m_lblLeftOut->setAccessibleDescription(leftOut);
    const bool cancelled = outcome.failure == encode::Failure::Cancelled;
    const QString sentence = encodetext::ResultSentence(OutputName(), outcome);
    if (m_lastOk) m_progress->setValue(100);
    ShowRunning(false);
    SetSource(m_nextSource);
    ShowFileNames();
    if (!m_resultLines.isEmpty()) ShowLines(m_resultLines, LineKind::Results);
    Announce(m_lblResult, cancelled
                              ? QStringLiteral("Abgebrochen; es ist keine Datei zurückgeblieben.")
                              : sentence);
    // Told on the desktop only when nobody looks at the program, and never
    // for a job the user ended.
    if (!cancelled && QApplication::activeWindow() == nullptr)
        m_desktop->Notify(
            m_lastOk ? QStringLiteral("Film kodiert") : QStringLiteral("Kodieren fehlgeschlagen"),
            sentence);
    Q_EMIT jobEnded();
}

void CEncodeDlg::OnBrowse() {
    const QString chosen = ChooseOutputFile(this, m_editOutput->text().trimmed());
    if (!chosen.isEmpty()) m_editOutput->setText(chosen);
}

// The encoder's last lines take the list's place, and the button brings the
// files back.
void CEncodeDlg::OnDetails() {
    const bool details = !m_showingDetails;
    if (details) {
        ShowLines(m_detailLines, LineKind::Encoder);
    } else if (!m_resultLines.isEmpty()) {
        ShowLines(m_resultLines, LineKind::Results);
    } else {
        ShowFileNames();
    }
    m_showingDetails = details;
    m_btnDetails->setChecked(details);
}

void CEncodeDlg::OnOpenFolder() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(Shown(m_jobOutput)).absolutePath()));
}
