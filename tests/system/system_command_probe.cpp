// Opens the real main window offscreen and clicks one of the log-off,
// restart and power-off menu items, once or more, with the mouse; then
// checks that the window went on answering at once while the requests were
// pending: no click and no gap between two timer ticks took long, no other
// window was shown, and a typed value is still recalculated. It refuses to
// open the window unless both D-Bus addresses are the private buses that its
// driver (system_commands_test.py) started and names on the command line.
// Usage: system_command_probe SYSTEM_BUS SESSION_BUS COMMAND CLICKS RUN_MS
// Exit status 0 when everything held; the driver checks the requests made.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tests/mainwnd/window_driver.h"
#include "tests/system/private_bus.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_style.h"

namespace {

// Far below the privilege wait and any D-Bus timeout, far above a busy
// machine's hiccup.
constexpr qint64 kLongestStallMs = 1000;

bool Fail(const char* what) {
    std::fprintf(stderr, "system_command_probe: %s\n", what);
    return false;
}
int Refuse(const char* what) {
    Fail(what);
    return 2;
}

// Opens "&Steuerung" from the menu bar and clicks item `id` in it.
bool ClickMenuItem(CRateDlg* dlg, int id) {
    QMenuBar* bar = dlg->MenuBar();
    QMenu* control = dlg->MenuPopup(0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(control->menuAction()).center());
    if (!control->isVisible()) return Fail("the menu did not open");
    QTest::mouseClick(control, Qt::LeftButton, {},
                      control->actionGeometry(dlg->MenuAction(id)).center());
    return control->isHidden() || Fail("the menu stayed open after the click");
}

bool Run(int command, int clicks, int runMs) {
    WindowDriver w;
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    tick.start(10);
    for (int i = 0; i < clicks; ++i) {
        const qint64 start = clock.elapsed();
        if (!ClickMenuItem(w.dlg.get(), command)) return false;
        if (clock.elapsed() - start > kLongestStallMs) return Fail("a click took too long");
    }
    lastTick = clock.elapsed();
    QTest::qWait(runMs);
    if (longestGap > kLongestStallMs) return Fail("the window stopped answering for a while");

    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != w.dlg.get() && window->isVisible()) return Fail("a window was shown");
    }
    const QString video = w.Text(res::kEditVideo);
    w.Type(res::kEditHours, "2");
    if (w.Text(res::kEditVideo) == video) return Fail("typing no longer recalculates");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) return Refuse("usage: SYSTEM_BUS SESSION_BUS COMMAND CLICKS RUN_MS");
    if (!OnPrivateBuses(argv[1], argv[2])) {
        return Refuse("refused: the bus addresses are not the driver's private buses");
    }
    const int command = std::atoi(argv[3]);
    if (!IsSystemExitCommand(command)) return Refuse("not a system command");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;  // settings of this run only
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setStyle(new DialogStyle);
    QApplication::setFont(DialogFont());
    return Run(command, std::atoi(argv[4]), std::atoi(argv[5])) ? 0 : 1;
}
