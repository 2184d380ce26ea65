// How long the main window's event loop stands still while a film file is
// read for its duration: a 1 ms timer runs, the window reads FILE again and
// again, and the longest gap between two ticks while a read is under way is
// printed, against the longest gap of the same loop without any read.
// Usage: film_stall_bench FILE [READS]   (offscreen unless a platform is set)
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "mainwnd/rate_dlg.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_style.h"

namespace {

// The longest gap in ms between 1 ms ticks over `reads` reads (0: as long
// as the same number of reads took, without any).
double LongestGap(CRateDlg& dlg, const QString& file, int reads, qint64 spanMs) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
        longest = std::max(longest, clock.nsecsElapsed() - last);
        last = clock.nsecsElapsed();
    });
    tick.start(1);
    last = clock.nsecsElapsed();
    if (reads == 0) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(spanMs), &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        for (int i = 0; i < reads; ++i) {
            dlg.OpenFilm(file);
            while (dlg.FilmReadPending())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
    }
    return static_cast<double>(longest) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: film_stall_bench FILE [READS]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int reads = argc > 2 ? std::atoi(argv[2]) : 50;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setStyle(new DialogStyle);
    QApplication::setFont(DialogFont());
    CRateDlg dlg;
    dlg.Create();
    dlg.show();
    (void)QTest::qWaitForWindowExposed(&dlg);
    QElapsedTimer span;
    span.start();
    const double reading = LongestGap(dlg, file, reads, 0);
    const qint64 spanMs = std::max<qint64>(span.elapsed(), 200);
    const double idle = LongestGap(dlg, file, 0, spanMs);
    std::printf("longest event-loop stall while reading %d times: %.2f ms; without reads over "
                "%lld ms: %.2f ms; target <= 16 ms: %s\n",
                reads, reading, static_cast<long long>(spanMs), idle,
                reading <= 16.0 ? "met" : "MISSED");
    return 0;
}
