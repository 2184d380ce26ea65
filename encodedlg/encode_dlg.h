// The "Film kodieren" dialog (template 150): what will be made (the film,
// the main window's plan, the files that will be written), the choices
// (codecs, "Schneller" to "Besser", the target file), and one encode job at
// a time with its progress, its result and a way to cancel it. It is not
// modal: the plan follows the main window while no job runs and is held
// fixed from the start of a job to its end. While a job runs, the desktop is
// kept from sleeping and shown the progress; a job that ends while none of
// the program's windows is active is told in a desktop notification.
// It neither reads nor writes the settings: the window that owns it does,
// from Choices() and jobStarting.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>

#include "encode/encode_job.h"

class DesktopJob;
class EncodeRunner;
class ListBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;

// The positions of the choices: the entries of the codec lists and the
// slider from 0 (fastest) to kBestSpeed.
struct EncodeChoices {
    int videoCodec = 0;  // H.264, H.265, VP9
    int audioCodec = 0;  // AAC, Opus, MP3
    int speed = 5;       // x264's and x265's "medium"
};
inline constexpr int kBestSpeed = 8;

// The main window's plan as the dialog shows it and a job takes it.
struct EncodePlan {
    encode::Plan plan;
    int64_t sizeBytes = 0;  // the maximum size, all parts together
    int state = 0;          // the validity state the main window shows
};

// The codec's preset at slider position `speed`: "ultrafast" to "veryslow"
// for H.264 and H.265, "8" to "0" for VP9.
std::string PresetAt(int videoCodec, int speed);
// The default target for `source`: in its folder, its name with the last
// extension replaced by ".tessarin.mkv". Paths are the file system's bytes.
QByteArray DefaultOutput(const QByteArray& source);

class CEncodeDlg : public QDialog {
    Q_OBJECT

public:
    explicit CEncodeDlg(QWidget* parent);
    ~CEncodeDlg() override;

    QWidget* GetDlgItem(int id) const;

    // A new film (and with it the default target), taken once no job runs;
    // the plan and the choices while no job runs. `path` as the file system
    // names it (bytes).
    void SetSource(const QByteArray& path);
    void SetPlan(const EncodePlan& plan);
    void SetChoices(const EncodeChoices& choices);
    EncodeChoices Choices() const;

    bool Running() const;
    // Where a person can answer: asks "Kodierung abbrechen?" while a job
    // runs, and with "Ja" cancels it and waits for its end. At the end of
    // the session it cancels without asking. True when no job runs any more.
    bool ConfirmCancel();

    // Test hook: the ffmpeg program jobs run (empty: the one on PATH).
    static void SetFfmpegForTests(const std::string& program);

Q_SIGNALS:
    // A job is about to start with these choices.
    void jobStarting(const EncodeChoices& choices);
    // A job has ended, in whatever way.
    void jobEnded();

protected:
    void reject() override;

private:
    void DoDataExchange();
    void ConnectControls();
    void OnStart();
    void OnProgress(const encode::Progress& progress);
    void OnFinished(const encode::Outcome& outcome);
    void OnBrowse();
    void OnDetails();
    void OnOpenFolder();
    void OnVideoCodec();
    bool AskOverwrite(const QStringList& existing);
    void ShowPlan();
    void ShowFileNames();
    enum class LineKind { Names, Results, Encoder };
    void ShowLines(const QStringList& lines, LineKind kind);
    void ShowPreset();
    void ShowRunning(bool running);
    void UpdateButtons();
    QString OutputName() const;
    // The target as the file system names it: the default's own bytes while
    // the edit shows it unchanged, else the text typed or chosen.
    QByteArray OutputPath() const;

    std::map<int, QWidget*> m_controls;
    QLabel* m_lblSource = nullptr;
    QLabel* m_lblVideo = nullptr;
    QLabel* m_lblAudio = nullptr;
    QLabel* m_lblSize = nullptr;
    QLabel* m_lblState = nullptr;
    QComboBox* m_comboVideo = nullptr;
    QComboBox* m_comboAudio = nullptr;
    QSlider* m_sliderSpeed = nullptr;
    QLabel* m_lblPreset = nullptr;
    QLineEdit* m_editOutput = nullptr;
    ListBox* m_listFiles = nullptr;
    QLabel* m_lblLeftOut = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_lblStep = nullptr;
    QLabel* m_lblFps = nullptr;
    QLabel* m_lblTimeLeft = nullptr;
    QLabel* m_lblResult = nullptr;
    QPushButton* m_btnStart = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnDetails = nullptr;
    QPushButton* m_btnOpenFolder = nullptr;

    QByteArray m_source;
    QByteArray m_nextSource;  // the latest film given, taken once no job runs
    QByteArray m_defaultOutput;
    EncodePlan m_plan;     // the main window's, followed while no job runs
    EncodePlan m_jobPlan;  // the running job's, fixed at its start
    QByteArray m_jobOutput;
    int m_audioCodec = 0;  // kept while audio is off
    QStringList m_resultLines;
    QStringList m_detailLines;
    bool m_showingDetails = false;
    bool m_lastOk = false;
    EncodeRunner* m_runner = nullptr;
    DesktopJob* m_desktop = nullptr;
};
