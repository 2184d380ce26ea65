#include "app/rate_app.h"

#include <QApplication>
#include <QEvent>
#include <QSessionManager>
#include <QWidget>
#include <memory>

#include "app/quit_on_signal.h"
#include "mainwnd/rate_dlg.h"

namespace {

// Start-up measurement, opt-in through TESSARIN_EXIT_AFTER_FIRST_PAINT=1:
// ends the main loop as soon as the first frame of `window` has been painted
// (the quit is queued, so the whole frame is painted and flushed first).
class QuitAfterFirstPaint : public QObject {
public:
    explicit QuitAfterFirstPaint(QWidget* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget && widget->window() == m_window) {
            QCoreApplication::instance()->removeEventFilter(this);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget* m_window;
};

}  // namespace

int CRateApp::InitInstance() {
    auto dlg = std::make_unique<CRateDlg>();
    if (!dlg->Create()) return 1;
    if (qEnvironmentVariableIntValue("TESSARIN_EXIT_AFTER_FIRST_PAINT") == 1)
        m_app.installEventFilter(new QuitAfterFirstPaint(dlg.get()));
    dlg->show();
    m_pMainWnd = dlg.get();

    // The end of the desktop session ends the loop like the quit request.
    QObject::connect(&m_app, &QGuiApplication::commitDataRequest, &m_app,
                     [](QSessionManager&) { QCoreApplication::exit(0); });
    QuitLoopOnTerminationSignals();
    m_app.setQuitOnLastWindowClosed(false);
    QApplication::exec();

    if (dlg->Model().saveOnExit != 0) dlg->WriteSettings();
    m_pMainWnd = nullptr;
    dlg.reset();
    return 0;
}
