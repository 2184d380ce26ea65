// The application object: creates the main window, shows it, runs the main
// loop until a quit request or the end of the desktop session, then saves
// the settings when asked to and destroys the window.
#pragma once

#include <QByteArray>

class CRateDlg;
class QApplication;

class CRateApp {
public:
    explicit CRateApp(QApplication& app) : m_app(app) {}

    // Runs the whole life of the program; returns the process exit code.
    // A non-empty `film` (bytes as the file system names it) is read for its
    // duration once the window is set up.
    int InitInstance(const QByteArray& film = QByteArray());

    CRateDlg* MainWindow() const { return m_pMainWnd; }

private:
    QApplication& m_app;
    CRateDlg* m_pMainWnd = nullptr;
};
