// The "Film kodieren" dialog driven from the main window with a film of a
// few seconds and the fastest preset: a job that fits, cancelling, the
// question before files are replaced, quitting during a job, the end of the
// session, and a plan that is not "Geprüft". The buses lead nowhere (the
// test main): the desktop is told nothing, and the jobs run all the same.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "encodedlg/encode_dlg.h"
#include "encodedlg/encode_text.h"
#include "res/resource_ids.h"
#include "tests/mainwnd/window_driver.h"
#include "ui/file_chooser.h"

using namespace res;

// Failures show texts as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class EncodeDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        // 6 s of a small moving picture with sound.
        ASSERT_EQ(
            QProcess::execute(
                QStringLiteral("ffmpeg"),
                {"-v", "error", "-f", "lavfi", "-i", "testsrc2=size=160x90:rate=25", "-f", "lavfi",
                 "-i", "sine=frequency=440", "-t", "6", "-c:v", "mpeg4", "-c:a", "aac", Film()}),
            0);
    }

    QString Film() const { return folder.filePath(QStringLiteral("film.mkv")); }
    QStringList FolderFiles() const { return QDir(folder.path()).entryList(QDir::Files); }

    // The film read, a plan of two parts of 200 KByte each, and the dialog
    // opened from the menu with the fastest preset.
    CEncodeDlg* Open(WindowDriver& w) {
        w.dlg->OpenFilm(Film());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w.dlg->FilmReadPending(); }, 10000));
        w.Choose(kComboSizeUnit, 2);
        w.Paste(kEditSize, QStringLiteral("400"));
        w.Command(kCmdEncodeFilm);
        CEncodeDlg* dlg = w.dlg->EncodeDialog();
        if (dlg) dlg->SetChoices({0, 0, 0});
        return dlg;
    }
    static QString Text(CEncodeDlg* dlg, int id) {
        return qobject_cast<QLabel*>(dlg->GetDlgItem(id))->text();
    }
    // The file lines as a screen reader gets them.
    static QStringList Lines(CEncodeDlg* dlg) {
        auto* list = qobject_cast<QListWidget*>(dlg->GetDlgItem(kEncodeFiles));
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->data(Qt::AccessibleTextRole).toString();
        return lines;
    }
    static void Click(CEncodeDlg* dlg, int id) {
        QTest::mouseClick(dlg->GetDlgItem(id), Qt::LeftButton);
    }
    static bool WaitForEnd(CEncodeDlg* dlg) {
        return QTest::qWaitFor([&] { return !dlg->Running(); }, 120000);
    }

    QTemporaryDir folder;
};

// Takes the file manager's place.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    explicit UrlCatcher(QUrl* opened) : m_opened(opened) {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open");
    }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    Q_INVOKABLE void Open(const QUrl& url) { *m_opened = url; }

private:
    QUrl* m_opened;
};

// Answers the next question with the button `answer` and keeps its text.
void Answer(const QString& answer, QString* asked) {
    QTimer::singleShot(20, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return Answer(answer, asked);
        *asked = box->text();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == answer) button->click();
        }
    });
}

// "Film öffnen…" takes the chosen film as a drop does; "Film kodieren…"
// without a film asks for one first and opens once it is read.
TEST_F(EncodeDialog, TheFilmMenuChoosesTheFilm) {
    SetFileChooserForTests([this] { return Film(); });
    WindowDriver w;
    w.Command(kCmdOpenFilm);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.dlg->FilmReadPending(); }, 10000));
    EXPECT_EQ(w.StatusMessage(), "Videolänge aus film.mkv übernommen: 00:00:07");
    EXPECT_EQ(w.dlg->EncodeDialog(), nullptr);

    WindowDriver fresh;
    fresh.Command(kCmdEncodeFilm);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fresh.dlg->EncodeDialog() != nullptr; }, 10000));
    EXPECT_EQ(fresh.Text(kEditSeconds), "07");
    EXPECT_EQ(Text(fresh.dlg->EncodeDialog(), kEncodeSource), "film.mkv");
    SetFileChooserForTests(nullptr);
}

TEST_F(EncodeDialog, MakesFilesThatFitAndRemembersTheChoices) {
    WindowDriver w;
    CEncodeDlg* dlg = Open(w);
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->isModal());
    EXPECT_EQ(Text(dlg, kEncodeSource), "film.mkv");
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg->GetDlgItem(kEncodeOutput))->text(),
              folder.filePath("film.tessarin.mkv"));
    EXPECT_EQ(Lines(dlg), QStringList({"film.tessarin.part1.mkv", "film.tessarin.part2.mkv"}));
    EXPECT_EQ(Text(dlg, kEncodeState), "Geprüft");
    EXPECT_EQ(Text(dlg, kEncodeSize), "2 × 204.800 Byte (höchstens 409.600 Byte)");
    const QString video = Text(dlg, kEncodeVideoRate);

    Click(dlg, kEncodeStart);
    ASSERT_TRUE(dlg->Running());
    // The main window stays usable; the running job keeps its plan.
    w.Type(kEditCdCount, QStringLiteral("3"));
    EXPECT_EQ(Text(dlg, kEncodeVideoRate), video);
    EXPECT_EQ(Lines(dlg).size(), 2);
    ASSERT_TRUE(WaitForEnd(dlg));

    EXPECT_EQ(Text(dlg, kEncodeResult), "film.tessarin.mkv ist fertig: alle 2 Dateien passen.");
    const QStringList lines = Lines(dlg);
    ASSERT_EQ(lines.size(), 2);
    for (int part = 1; part <= 2; ++part) {
        const QString name = QStringLiteral("film.tessarin.part%1.mkv").arg(part);
        const QFileInfo file(folder.filePath(name));
        EXPECT_LE(file.size(), 204800) << name.toStdString();
        EXPECT_EQ(lines[part - 1], QStringLiteral("%1: %2 von 204.800 Byte, passt")
                                       .arg(name, QLocale(QLocale::German).toString(file.size())));
    }
    // Screen readers hear the progress and the result.
    QAccessibleInterface* progress =
        QAccessible::queryAccessibleInterface(dlg->GetDlgItem(kEncodeProgress));
    EXPECT_EQ(progress->valueInterface()->currentValue().toInt(), 100);
    QAccessibleInterface* result =
        QAccessible::queryAccessibleInterface(dlg->GetDlgItem(kEncodeResult));
    EXPECT_EQ(result->role(), QAccessible::Notification);
    EXPECT_EQ(result->text(QAccessible::Name), Text(dlg, kEncodeResult));
    QUrl opened;
    UrlCatcher catcher(&opened);
    Click(dlg, kEncodeOpenFolder);
    EXPECT_EQ(opened, QUrl::fromLocalFile(folder.path()));
    // Now the plan follows the main window again, and the next job may start.
    EXPECT_EQ(Lines(dlg).size(), 2);
    EXPECT_NE(Text(dlg, kEncodeVideoRate), video);
    EXPECT_TRUE(dlg->GetDlgItem(kEncodeStart)->isEnabled());

    QFile stored(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Orvanholt/Tessarin.reg");
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        stored.readAll().contains("\\Encodesettings]\n\"Video_Codec\"=hex:00\n"
                                  "\"Audio_Codec\"=hex:00\n\"Speed\"=hex:00\n"));
}

TEST_F(EncodeDialog, CancellingLeavesNothingBehind) {
    WindowDriver w;
    CEncodeDlg* dlg = Open(w);
    ASSERT_NE(dlg, nullptr);
    const QStringList before = FolderFiles();
    Click(dlg, kEncodeStart);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return qobject_cast<QProgressBar*>(dlg->GetDlgItem(kEncodeProgress))->value() > 0; },
        60000));
    Click(dlg, kEncodeCancel);
    ASSERT_TRUE(WaitForEnd(dlg));
    EXPECT_EQ(Text(dlg, kEncodeResult), "Abgebrochen; es ist keine Datei zurückgeblieben.");
    EXPECT_EQ(FolderFiles(), before);
    EXPECT_FALSE(dlg->GetDlgItem(kEncodeOpenFolder)->isEnabled());
}

TEST_F(EncodeDialog, AsksBeforeReplacingFiles) {
    WindowDriver w;
    CEncodeDlg* dlg = Open(w);
    ASSERT_NE(dlg, nullptr);
    QFile old(folder.filePath("film.tessarin.part2.mkv"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    QString asked;
    Answer("Nein", &asked);
    Click(dlg, kEncodeStart);
    EXPECT_TRUE(asked.contains(QDir::toNativeSeparators(old.fileName()))) << asked.toStdString();
    EXPECT_FALSE(asked.contains("part1")) << asked.toStdString();
    EXPECT_FALSE(dlg->Running());
    EXPECT_EQ(old.size(), 3);

    Answer("Ja", &asked);
    Click(dlg, kEncodeStart);
    ASSERT_TRUE(WaitForEnd(dlg));
    EXPECT_EQ(Text(dlg, kEncodeResult), "film.tessarin.mkv ist fertig: alle 2 Dateien passen.");
    EXPECT_NE(old.size(), 3);
}

// Closing the dialog, "Beenden" and the close box ask; "Nein" keeps the
// job, "Ja" cancels it and ends the program.
TEST_F(EncodeDialog, QuittingDuringAJobAsksFirst) {
    for (bool closeBox : {false, true}) {
        WindowDriver w;
        CEncodeDlg* dlg = Open(w);
        ASSERT_NE(dlg, nullptr);
        const QStringList before = FolderFiles();
        const auto quit = [&] {
            if (closeBox) {
                w.dlg->close();
            } else {
                w.Command(kCmdExit);
            }
        };
        QString asked;
        QTimer::singleShot(0, [&] {
            Click(dlg, kEncodeStart);
            Answer("Nein", &asked);
            dlg->close();
            EXPECT_EQ(asked, "Kodierung abbrechen?");
            EXPECT_TRUE(dlg->isVisible());
            asked.clear();
            Answer("Nein", &asked);
            quit();
            EXPECT_EQ(asked, "Kodierung abbrechen?");
            EXPECT_TRUE(dlg->Running());
            EXPECT_TRUE(w.dlg->isVisible());
            asked.clear();
            Answer("Ja", &asked);
            quit();
            EXPECT_EQ(asked, "Kodierung abbrechen?");
            EXPECT_FALSE(dlg->Running());
        });
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_EQ(Text(dlg, kEncodeResult), "Abgebrochen; es ist keine Datei zurückgeblieben.");
        EXPECT_EQ(FolderFiles(), before);
    }
}

// The session's end closes the windows after the platform's quit event: the
// job is cancelled without a question and the loop ends.
TEST_F(EncodeDialog, TheEndOfTheSessionCancelsWithoutAsking) {
    WindowDriver w;
    CEncodeDlg* dlg = Open(w);
    ASSERT_NE(dlg, nullptr);
    const QStringList before = FolderFiles();
    bool asked = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
        if (QApplication::activeModalWidget()) asked = true;
    });
    watch.start(5);
    QTimer::singleShot(0, [&] {
        Click(dlg, kEncodeStart);
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
    });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(asked);
    EXPECT_FALSE(dlg->Running());
    EXPECT_EQ(FolderFiles(), before);
}

TEST_F(EncodeDialog, APlanThatIsNotCheckedCannotStart) {
    WindowDriver w;
    CEncodeDlg* dlg = Open(w);
    ASSERT_NE(dlg, nullptr);
    QWidget* start = dlg->GetDlgItem(kEncodeStart);
    EXPECT_TRUE(start->isEnabled());
    w.Command(kCmdAutoCalculate);
    w.Type(kEditVideo, QStringLiteral("300"));
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(Text(dlg, kEncodeState).startsWith("Ungeprüft: erst im Hauptfenster neu "));
    w.Command(kCmdRecalculate);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(Text(dlg, kEncodeState), "Geprüft");
    w.Command(kCmdAutoRange);
    w.Type(kEditVideo, QStringLiteral("-5"));
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(Text(dlg, kEncodeState).startsWith("Fehlerhaft: "));
}

// Audio "Aus" leaves the audio codec empty and disabled; the choice comes
// back with the sound.
TEST_F(EncodeDialog, NoAudioCodecWhileAudioIsOff) {
    WindowDriver w;
    CEncodeDlg* dlg = Open(w);
    ASSERT_NE(dlg, nullptr);
    auto* audio = qobject_cast<QComboBox*>(dlg->GetDlgItem(kEncodeAudioCodec));
    dlg->SetChoices({2, 1, 4});
    EXPECT_EQ(audio->currentText(), "Opus");
    EXPECT_EQ(Text(dlg, kEncodePreset), "Stufe 4");
    w.ClickCheckBox(kAudioOff);
    EXPECT_EQ(audio->currentIndex(), -1);
    EXPECT_FALSE(audio->isEnabled());
    EXPECT_EQ(Text(dlg, kEncodeAudioRate), "Aus (ohne Ton)");
    w.ClickCheckBox(kAudioOff);
    EXPECT_EQ(audio->currentText(), "Opus");
    EXPECT_TRUE(audio->isEnabled());
}

// Everything the dialog shows fits its control, at every scale it is run at.
TEST(EncodeDialogView, NoTextIsClipped) {
    WindowDriver w;
    CEncodeDlg dlg(w.dlg.get());
    dlg.SetSource("/tmp/a film with a long name.mkv");
    dlg.show();
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        if (label->wordWrap()) continue;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
    }
    for (QPushButton* button : dlg.findChildren<QPushButton*>()) {
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
            << button->text().toStdString();
    }
}

TEST(EncodeDialogText, StepsAndStreamsInWords) {
    using encode::Step;
    const std::pair<encode::Progress, const char*> cases[] = {
        {{Step::Pass1, 0}, "1. Durchgang"},
        {{Step::Pass2, 1}, "2. Durchgang"},
        {{Step::Pass2, 2}, "2. Durchgang, Korrektur 1"},
        {{Step::Cut, 0}, "Wird in Teile geschnitten"},
    };
    for (const auto& [progress, words] : cases)
        EXPECT_EQ(encodetext::Step(progress), words);
    EXPECT_EQ(encodetext::LeftOut({"subtitle stream 2 (subrip, ger)",
                                   "audio stream 1 (aac, 2 channels): audio off", "3 chapters"}),
              "Ausgelassen: Untertitel 2 (subrip, ger), Tonspur 1 (aac, 2 Kanäle): Ton aus, "
              "3 Kapitel");
}

TEST(EncodeDialogText, PresetsAndDefaultTargets) {
    EXPECT_EQ(PresetAt(0, 0), "ultrafast");
    EXPECT_EQ(PresetAt(1, kBestSpeed), "veryslow");
    EXPECT_EQ(PresetAt(2, 0), "8");
    EXPECT_EQ(PresetAt(2, kBestSpeed), "0");
    const std::pair<const char*, const char*> targets[] = {
        {"/films/film.mkv", "/films/film.tessarin.mkv"},
        {"/films/my.film.avi", "/films/my.film.tessarin.mkv"},
        {"/my.films/film", "/my.films/film.tessarin.mkv"},
        {"/films/.film", "/films/.film.tessarin.mkv"},
        // A name that is not UTF-8 keeps its bytes.
        {"/films/Film\xe9.mkv", "/films/Film\xe9.tessarin.mkv"},
        // Never the source itself, even for a film this program wrote.
        {"/films/film.tessarin.mkv", "/films/film.tessarin.tessarin.mkv"},
    };
    for (const auto& [source, target] : targets)
        EXPECT_EQ(DefaultOutput(source), QByteArray(target)) << source;
}

}  // namespace

#include "encode_dlg_test.moc"
