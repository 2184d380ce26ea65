#include "app/rate_app.h"

#include <QApplication>
#include <memory>

#include "app/quit_after_first_paint.h"
#include "app/quit_on_signal.h"
#include "mainwnd/rate_dlg.h"

int CRateApp::InitInstance(const QByteArray& film) {
    auto dlg = std::make_unique<CRateDlg>();
    if (!dlg->Create()) return 1;
    if (!film.isEmpty()) dlg->OpenFilm(film, true);
    QuitAfterFirstPaint::InstallIfRequested(dlg.get());

    // The end of the desktop session ends the loop like the quit request:
    // SIGTERM or SIGHUP, or the session manager's own quit, which closes the
    // window. A request to save the session is no end: the logout may still
    // be cancelled. The handlers come before the window appears, so that a
    // signal sent as soon as it is seen is not the default's silent death;
    // one that arrives before the loop runs ends it as soon as it starts.
    QuitLoopOnTerminationSignals();
    dlg->show();
    m_pMainWnd = dlg.get();
    m_app.setQuitOnLastWindowClosed(false);
    QApplication::exec();

    if (dlg->Model().saveOnExit != 0) dlg->WriteSettings();
    m_pMainWnd = nullptr;
    dlg.reset();
    return 0;
}
