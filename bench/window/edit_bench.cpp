// One edit change in the main window: a digit typed into the audio bitrate
// field until every label shows the new results, against the same keystroke
// into a bare QLineEdit with nothing connected to it. Both run on the same
// platform (offscreen unless QT_QPA_PLATFORM says otherwise) and style. The
// "Painted" pair goes on until the changed widgets are painted into the
// window's frame as well.
//
// With --count-timers the binary instead opens the main window, puts the
// pointer outside it, lets it idle past the caret blink timeout and prints the timers that
// are still registered on the window's objects and on the application (one
// line each, then the total).
#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <memory>

#include "mainwnd/caret_blink.h"
#include "ui/dialog_style.h"
#include "mainwnd/rate_dlg.h"
#include "res/resource_ids.h"

namespace {

// Replaces the field's last character by `digit`: one keystroke, one change.
void TypeLastDigit(QLineEdit* edit, char digit) {
    edit->setSelection(static_cast<int>(edit->text().size()) - 1, 1);
    QTest::keyClick(edit, digit);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

// Delivers the pending update requests: the changed widgets are painted and
// the frame is flushed.
void PaintPendingUpdates() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

std::unique_ptr<CRateDlg> OpenMainWindow() {
    auto dlg = std::make_unique<CRateDlg>();
    dlg->Create();
    dlg->show();
    dlg->activateWindow();
    (void)QTest::qWaitForWindowExposed(dlg.get());
    return dlg;
}

// The real window: "128" becomes "129", then "128" again, and so on. Each
// keystroke changes the audio data, video data and total labels; the loop
// checks that the results label really changed.
void MainWindowTypeDigit(benchmark::State& state, bool painted) {
    const auto dlg = OpenMainWindow();
    auto* edit = qobject_cast<QLineEdit*>(dlg->GetDlgItem(res::kEditAudio));
    auto* audioData = qobject_cast<QLabel*>(dlg->GetDlgItem(res::kLabelAudioData));
    auto* paints = new PaintCounter(audioData);
    edit->setFocus();
    QCoreApplication::processEvents();
    QString before = audioData->text();
    bool nine = true;
    for (auto _ : state) {
        TypeLastDigit(edit, nine ? '9' : '8');
        if (painted) PaintPendingUpdates();
        nine = !nine;
        QString after = audioData->text();
        if (after == before) {
            state.SkipWithError("the audio data label did not change");
            break;
        }
        before = std::move(after);
    }
    if (painted && paints->count < static_cast<int>(state.iterations()))
        state.SkipWithError("the audio data label was not painted after each keystroke");
    QCoreApplication::processEvents();
}
void BM_MainWindowTypeDigit(benchmark::State& state) {
    MainWindowTypeDigit(state, false);
}
void BM_MainWindowTypeDigitPainted(benchmark::State& state) {
    MainWindowTypeDigit(state, true);
}

// The same keystroke into a bare QLineEdit in an empty window.
void BareLineEditTypeDigit(benchmark::State& state, bool painted) {
    QWidget window;
    window.setFixedSize(354, 450);
    auto* edit = new QLineEdit(QStringLiteral("128"), &window);
    auto* paints = new PaintCounter(edit);
    window.show();
    window.activateWindow();
    (void)QTest::qWaitForWindowExposed(&window);
    edit->setFocus();
    QCoreApplication::processEvents();
    bool nine = true;
    for (auto _ : state) {
        TypeLastDigit(edit, nine ? '9' : '8');
        if (painted) PaintPendingUpdates();
        nine = !nine;
        benchmark::DoNotOptimize(edit->text().constData());
    }
    if (edit->text() != QStringLiteral("128") && edit->text() != QStringLiteral("129"))
        state.SkipWithError("the bare field did not take the digits");
    if (painted && paints->count < static_cast<int>(state.iterations()))
        state.SkipWithError("the bare field was not painted after each keystroke");
    QCoreApplication::processEvents();
}
void BM_BareLineEditTypeDigit(benchmark::State& state) {
    BareLineEditTypeDigit(state, false);
}
void BM_BareLineEditTypeDigitPainted(benchmark::State& state) {
    BareLineEditTypeDigit(state, true);
}

BENCHMARK(BM_MainWindowTypeDigit)->Unit(benchmark::kMicrosecond)->Repetitions(15);
BENCHMARK(BM_BareLineEditTypeDigit)->Unit(benchmark::kMicrosecond)->Repetitions(15);
BENCHMARK(BM_MainWindowTypeDigitPainted)->Unit(benchmark::kMicrosecond)->Repetitions(15);
BENCHMARK(BM_BareLineEditTypeDigitPainted)->Unit(benchmark::kMicrosecond)->Repetitions(15);

int CountTimers(QObject* object, const char* owner) {
    int count = 0;
    const auto* dispatcher = QAbstractEventDispatcher::instance();
    QList<QObject*> objects{object};
    objects += object->findChildren<QObject*>();
    for (QObject* o : objects) {
        for (const auto& timer : dispatcher->registeredTimers(o)) {
            std::printf("timer %d ms on %s %s (%s)\n", timer.interval, owner,
                        o->metaObject()->className(), qPrintable(o->objectName()));
            ++count;
        }
    }
    return count;
}

int CountIdleTimers() {
    const auto dlg = OpenMainWindow();
    // A pointer resting on a control rightly starts its tooltip; idle means
    // nobody touches the window.
    QCursor::setPos(dlg->frameGeometry().bottomRight() + QPoint(100, 100));
    // Past the caret's blink timeout.
    QTest::qWait(CaretBlinkTimeout::kTimeoutMs + 2000);
    const int count =
        CountTimers(dlg.get(), "window") + CountTimers(QCoreApplication::instance(), "application");
    std::printf("timers %d\n", count);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(new DialogStyle);
    if (argc > 1 && std::strcmp(argv[1], "--count-timers") == 0) return CountIdleTimers();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
