// Opens the real main window offscreen with FILM, opens "Film kodieren"
// from the menu, and runs one job with the fastest preset: to its end, or
// cancelled as soon as it reports progress, or with an ffmpeg that fails.
// With "inactive" in MODE no window of the program is active when the job
// ends. It prints the result line and exits 0 when the job ended as MODE
// says; its driver (encode_desktop_test.py) checks what the buses carried.
// It refuses to start unless both D-Bus addresses are the driver's private
// buses named on the command line.
// Usage: encode_desktop_probe SYSTEM_BUS SESSION_BUS MODE FILM
//   MODE: fits, fits-inactive, cancel-inactive, fails-inactive
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <cstdio>

#include "encodedlg/encode_dlg.h"
#include "tests/mainwnd/window_driver.h"
#include "tests/system/private_bus.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_style.h"

namespace {

int Run(const QString& mode, const QString& film) {
    if (mode.startsWith("fails")) CEncodeDlg::SetFfmpegForTests("/bin/false");
    WindowDriver w;
    w.dlg->OpenFilm(film);
    if (!QTest::qWaitFor([&] { return !w.dlg->FilmReadPending(); }, 10000)) return 1;
    w.Choose(res::kComboSizeUnit, 2);
    w.Paste(res::kEditSize, QStringLiteral("400"));
    w.Command(res::kCmdEncodeFilm);
    CEncodeDlg* dlg = w.dlg->EncodeDialog();
    if (!dlg) return 1;
    dlg->SetChoices({0, 0, 0});
    // Another program's window takes the focus, once the windows shown have
    // been activated.
    QTest::qWait(200);
    if (mode.endsWith("inactive")) QApplication::setActiveWindow(nullptr);
    bool activeAtEnd = true;
    QObject::connect(dlg, &CEncodeDlg::jobEnded, dlg,
                     [&] { activeAtEnd = QApplication::activeWindow() != nullptr; });
    QTest::mouseClick(dlg->GetDlgItem(res::kEncodeStart), Qt::LeftButton);
    if (!dlg->Running()) return 1;
    if (mode.startsWith("cancel")) {
        auto* progress = qobject_cast<QProgressBar*>(dlg->GetDlgItem(res::kEncodeProgress));
        (void)QTest::qWaitFor([&] { return progress->value() > 0 || !dlg->Running(); }, 60000);
        QTest::mouseClick(dlg->GetDlgItem(res::kEncodeCancel), Qt::LeftButton);
    }
    if (!QTest::qWaitFor([&] { return !dlg->Running(); }, 120000)) return 1;
    QTest::qWait(300);  // the last messages on their way
    const QString result = qobject_cast<QLabel*>(dlg->GetDlgItem(res::kEncodeResult))->text();
    std::printf("%s\n", result.toUtf8().constData());
    if (activeAtEnd != !mode.endsWith("inactive")) return 1;
    if (mode.startsWith("fits")) return result.endsWith("alle 2 Dateien passen.") ? 0 : 1;
    if (mode.startsWith("cancel")) return result.startsWith("Abgebrochen") ? 0 : 1;
    return result.contains("konnte nicht kodiert werden") ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: SYSTEM_BUS SESSION_BUS MODE FILM\n");
        return 2;
    }
    if (!OnPrivateBuses(argv[1], argv[2])) {
        std::fprintf(stderr, "refused: the bus addresses are not the driver's private buses\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;  // settings of this run only
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setStyle(new DialogStyle);
    QApplication::setFont(DialogFont());
    return Run(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
}
