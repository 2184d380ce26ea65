// A film file dropped on the window, or named on the command line: its
// duration is entered as if typed at once, with the locks, the limits and a
// message; other drags are not taken, and the latest file read wins.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolTip>
#include <QUrl>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "res/resource_ids.h"
#include "tests/mainwnd/window_driver.h"

using namespace res;

namespace {

// Films of this run, made with the ffmpeg tool once for all tests.
class FilmDrop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new QTemporaryDir;
        // 1:02:05.4 of sound, and 9.5 s of picture and sound.
        Make("long.m4a", {"-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono", "-t", "3725.4"});
        Make("short.mkv", {"-f", "lavfi", "-i", "testsrc=size=32x24:rate=5", "-f", "lavfi", "-i",
                           "anullsrc=r=8000:cl=mono", "-t", "9.5", "-c:v", "mpeg4"});
        Make("silent.mkv",
             {"-f", "lavfi", "-i", "testsrc=size=32x24:rate=5", "-t", "3", "-c:v", "mpeg4"});
        QFile text(Path("notes.txt"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("Not a film at all.\n");
    }
    static void TearDownTestSuite() { delete folder; }

    static void Make(const QString& name, QStringList args) {
        args.prepend("error");
        args.prepend("-v");
        args << Path(name);
        ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"), args), 0) << name.toStdString();
    }
    static QString Path(const QString& name) { return folder->filePath(name); }

    // Drags `data` over the control `id` (0: the results' caption, where no
    // control takes drops) and lets it go there, as the toolkit delivers it:
    // to the innermost widget that takes drops. Returns whether it was taken.
    static bool Drop(WindowDriver& w, QMimeData* data, int id = kLabelTotalData) {
        QWidget* target = w.Control(id);
        const QPoint at(target->width() / 2, target->height() / 2);
        while (!target->acceptDrops())
            target = target->parentWidget();
        const QPoint local = w.Control(id)->mapTo(target, at);
        QDragEnterEvent enter(local, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(local), Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }
    static QMimeData* Files(const QStringList& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls << QUrl::fromLocalFile(p);
        data->setUrls(urls);
        data->setText(paths.join('\n'));  // as file managers add
        return data;
    }
    // Writes long.m4a into a new pipe `name` after `delay`, on a thread.
    static std::thread SlowFilm(const QString& name, int delayMs) {
        const QByteArray pipe = QFile::encodeName(Path(name));
        EXPECT_EQ(::mkfifo(pipe.constData(), 0600), 0);
        return std::thread([pipe, delayMs] {
            QFile film(Path("long.m4a"));
            film.open(QIODevice::ReadOnly);
            const QByteArray bytes = film.readAll();
            const int fd = ::open(pipe.constData(), O_WRONLY);
            ::usleep(delayMs * 1000);
            for (qsizetype done = 0; fd >= 0 && done < bytes.size();) {
                const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
                if (n <= 0) break;
                done += n;
            }
            ::close(fd);
        });
    }
    static void WaitForRead(WindowDriver& w) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.dlg->FilmReadPending(); }, 10000));
    }
    static std::string Time(const WindowDriver& w) {
        return (w.Text(kEditHours) + ":" + w.Text(kEditMinutes) + ":" + w.Text(kEditSeconds))
            .toStdString();
    }

    static QTemporaryDir* folder;
};
QTemporaryDir* FilmDrop::folder = nullptr;

TEST_F(FilmDrop, TakesTheDurationOfOneLocalFileDroppedAnywhere) {
    struct Case {
        const char* what;
        QStringList files;
        int on;
        bool taken;
        const char* time;
        const char* message;
    };
    const Case cases[] = {
        {"on a caption", {"long.m4a"}, kLabelTotalData, true, "01:02:06",
         "Videolänge aus long.m4a übernommen: 01:02:06"},
        {"on an edit, which must not paste the path", {"short.mkv"}, kEditAudio, true,
         "00:00:10", "Videolänge aus short.mkv übernommen: 00:00:10"},
        {"on the status bar", {"notes.txt"}, kStatusBar, true, "01:30:00",
         "notes.txt nicht lesbar: keine Film- oder Tondatei"},
        {"a file that is not there", {"gone.mkv"}, kEditHours, true, "01:30:00",
         "gone.mkv nicht lesbar: Datei nicht gefunden"},
        {"two files", {"long.m4a", "short.mkv"}, kLabelTotalData, false, "01:30:00", ""},
        {"two files on an edit", {"long.m4a", "short.mkv"}, kEditSize, false, "01:30:00", ""},
    };
    for (const Case& c : cases) {
        WindowDriver w;
        QStringList paths;
        for (const QString& f : c.files)
            paths << Path(f);
        const QString audio = w.Text(kEditAudio);
        const QString size = w.Text(kEditSize);
        int videoChanges = 0;
        QObject::connect(w.Edit(kEditVideo), &QLineEdit::textChanged, w.Edit(kEditVideo),
                         [&] { ++videoChanges; });
        std::unique_ptr<QMimeData> data(Files(paths));
        EXPECT_EQ(Drop(w, data.get(), c.on), c.taken) << c.what;
        WaitForRead(w);
        EXPECT_EQ(Time(w), c.time) << c.what;
        EXPECT_EQ(w.StatusMessage().toStdString(), c.message) << c.what;
        EXPECT_EQ(w.Text(kEditAudio), audio) << c.what;
        EXPECT_EQ(w.Text(kEditSize), size) << c.what;
        // The whole duration at once: one recalculation, not one per field.
        EXPECT_EQ(videoChanges, std::string(c.time) == "01:30:00" ? 0 : 1) << c.what;
    }
}

TEST_F(FilmDrop, OtherDragsAreNotTakenAndTypableTextStillIs) {
    WindowDriver w;
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/film.mkv"))});
    EXPECT_FALSE(Drop(w, &web));
    EXPECT_FALSE(Drop(w, &web, kEditHours));
    QMimeData twoLines;
    twoLines.setText(QStringLiteral("12\n34"));
    EXPECT_FALSE(Drop(w, &twoLines, kEditVideo));
    QMimeData digits;
    digits.setText(QStringLiteral("7"));
    EXPECT_FALSE(Drop(w, &digits));  // the window takes files only
    EXPECT_TRUE(Drop(w, &digits, kEditVideo));
    EXPECT_TRUE(w.Text(kEditVideo).contains('7'));
    EXPECT_EQ(Time(w), "01:30:00");
}

TEST_F(FilmDrop, ALockedDurationStaysAndTheLatestDropWins) {
    WindowDriver w;
    w.ClickCheckBox(kFixTime);
    std::unique_ptr<QMimeData> data(Files({Path("long.m4a")}));
    EXPECT_TRUE(Drop(w, data.get()));
    WaitForRead(w);
    EXPECT_EQ(Time(w), "01:30:00");
    EXPECT_EQ(w.StatusMessage().toStdString(), "Videolänge ist fest: aus long.m4a nichts übernommen");
    w.ClickCheckBox(kFixTime);

    // The first file comes slowly through a pipe; the second, dropped while
    // the first is read, wins even though the first is read to its end.
    std::thread writer = SlowFilm("slow.m4a", 800);
    std::unique_ptr<QMimeData> slow(Files({Path("slow.m4a")}));
    std::unique_ptr<QMimeData> quick(Files({Path("short.mkv")}));
    EXPECT_TRUE(Drop(w, slow.get()));
    EXPECT_EQ(w.StatusMessage().toStdString(), "Lese slow.m4a …");
    EXPECT_TRUE(Drop(w, quick.get(), kEditMinutes));
    WaitForRead(w);
    writer.join();
    QTest::qWait(300);  // the first read's end, which must change nothing
    EXPECT_EQ(Time(w), "00:00:10");
    EXPECT_EQ(w.StatusMessage().toStdString(), "Videolänge aus short.mkv übernommen: 00:00:10");
}

TEST_F(FilmDrop, AFileFromTheCommandLineThatCannotBeReadIsNamedOnStandardError) {
    WindowDriver w;
    ::testing::internal::CaptureStderr();
    w.dlg->OpenFilm(Path("notes.txt"), true);
    WaitForRead(w);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(err.rfind("tessarin: ", 0), 0u) << err;
    EXPECT_NE(err.find("notes.txt"), std::string::npos) << err;
    EXPECT_EQ(Time(w), "01:30:00");
    EXPECT_EQ(w.StatusMessage().toStdString(), "notes.txt nicht lesbar: keine Film- oder Tondatei");
}

// The message tells what the fields show: the locks or the range rules may
// solve the duration again; a film without sound keeps the audio rate. What
// the status bar does not show, while hidden or telling of a new state,
// shows beside the drop.
TEST_F(FilmDrop, TheMessageTellsWhatTheFieldsShowWhereItIsSeen) {
    struct Case {
        bool locked;  // audio, video and size "Fest"
        int command;  // chosen before the drop, or 0
        const char* file;
        const char* time;
        const char* status;  // the status bar's message
        const char* tip;     // beside the drop, or ""
    };
    const Case cases[] = {
        {true, 0, "short.mkv", "01:30:02", "short.mkv: 00:00:10, neu berechnet: 01:30:02", ""},
        {false, 0, "silent.mkv", "00:00:03", "Videolänge aus silent.mkv (ohne Ton): 00:00:03", ""},
        {false, kCmdStatusBar, "notes.txt", "01:30:00",
         "notes.txt nicht lesbar: keine Film- oder Tondatei",
         "notes.txt nicht lesbar: keine Film- oder Tondatei"},
        {false, kCmdAutoCalculate, "short.mkv", "00:00:10",
         "Hier drücken, um neu zu berechnen. --->",
         "Videolänge aus short.mkv übernommen: 00:00:10"},
    };
    for (const Case& c : cases) {
        WindowDriver w;
        for (const int box : {kFixAudio, kFixVideo, kFixSize}) {
            if (c.locked) w.ClickCheckBox(box);
        }
        if (c.command) w.Command(c.command);
        QToolTip::hideText();
        std::unique_ptr<QMimeData> data(Files({Path(c.file)}));
        EXPECT_TRUE(Drop(w, data.get())) << c.file;
        WaitForRead(w);
        EXPECT_EQ(Time(w), c.time) << c.file;
        EXPECT_EQ(w.StatusMessage().toStdString(), c.status) << c.file;
        EXPECT_EQ(w.Text(kEditAudio), "128") << c.file;
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text().toStdString() : "", c.tip) << c.file;
    }
    QToolTip::hideText();
}

// Refused because the duration is locked, the latest drop still ends the
// read under way: the earlier film does not land once the box is unticked.
TEST_F(FilmDrop, ARefusedDropEndsTheReadUnderWay) {
    WindowDriver w;
    std::thread writer = SlowFilm("slower.m4a", 800);
    std::unique_ptr<QMimeData> slow(Files({Path("slower.m4a")}));
    std::unique_ptr<QMimeData> refused(Files({Path("short.mkv")}));
    EXPECT_TRUE(Drop(w, slow.get()));
    w.ClickCheckBox(kFixTime);
    EXPECT_TRUE(Drop(w, refused.get()));
    w.ClickCheckBox(kFixTime);
    writer.join();
    QTest::qWait(500);
    EXPECT_EQ(Time(w), "01:30:00");
    EXPECT_EQ(w.StatusMessage().toStdString(),
              "Videolänge ist fest: aus short.mkv nichts übernommen");
}

// A name from another system's code page ("Film\xe9.mkv" in Latin-1) is read
// by its bytes, and shown as well as it can be.
TEST_F(FilmDrop, ANameThatIsNotUtf8IsRead) {
    const QByteArray latin1 = QFile::encodeName(folder->path()) + "/Film\xe9.mkv";
    ASSERT_EQ(::link(QFile::encodeName(Path("short.mkv")).constData(), latin1.constData()), 0);
    WindowDriver w;
    // As a file manager drags it: the name's bytes percent-encoded.
    QMimeData data;
    data.setData("text/uri-list", "file://" + latin1.toPercentEncoding("/") + "\r\n");
    EXPECT_TRUE(Drop(w, &data, kEditHours));
    WaitForRead(w);
    ::unlink(latin1.constData());
    EXPECT_EQ(Time(w), "00:00:10");
    EXPECT_EQ(w.StatusMessage(),
              QString::fromUtf8("Videolänge aus Film\uFFFD.mkv übernommen: 00:00:10"));
}

// Without a thread for the read (too many threads), the window tells a read
// error and goes on. Root starts threads beyond any limit: the child that
// tries runs as "nobody".
TEST_F(FilmDrop, AReadWithoutAThreadIsAReadError) {
    WindowDriver w;
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        const rlimit none{0, 0};
        if (setrlimit(RLIMIT_NPROC, &none) != 0) _exit(101);
        w.dlg->OpenFilm(Path("short.mkv"));
        if (!QTest::qWaitFor([&] { return !w.dlg->FilmReadPending(); }, 5000)) _exit(102);
        const bool told = w.StatusMessage() == "short.mkv nicht lesbar: das Lesen schlug fehl";
        _exit(told && Time(w) == "01:30:00" ? 0 : 103);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
