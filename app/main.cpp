#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/display_check.h"
#include "app/rate_app.h"
#include "app/startup_guard.h"
#include "core/version.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_style.h"
#include "ui/font_substitutes.h"

namespace {

std::vector<std::string> PluginDirs() {
    std::vector<std::string> dirs;
    for (const QString& dir : QCoreApplication::libraryPaths())
        dirs.push_back(dir.toStdString());
    if (const QString dir = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH"); !dir.isEmpty())
        dirs.push_back(dir.toStdString());
    return dirs;
}

}  // namespace

int main(int argc, char** argv) {
    const CommandLine line = ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "tessarin: %s\n", line.error.c_str());
        return 2;
    }
    const DisplayPlan plan = PlanDisplay(ReadDisplayEnvironment(PluginDirs()));
    if (!plan.problem.empty()) {
        std::fprintf(stderr, "tessarin: %s\n", plan.problem.c_str());
        return 1;
    }
    if (!plan.platform.empty())
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(plan.platform));
    StartupGuard guard([&plan] {
        return plan.diagnoseX.empty() ? plan.failure : DescribeXFailure(plan.diagnoseX);
    });
    // The toolkit sees only its session ID: the other arguments are ours
    // alone. Both live as long as the application.
    std::string sessionOption = "-session", session = line.session;
    std::vector<char*> toolkitArgv = {argv[0]};
    if (!session.empty()) {
        toolkitArgv.push_back(sessionOption.data());
        toolkitArgv.push_back(session.data());
    }
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = static_cast<int>(toolkitArgv.size()) - 1;
    QApplication app(toolkitArgc, toolkitArgv.data());
    guard.Release();
    if (const QString missing = InstallDialogFontSubstitutes(); !missing.isEmpty())
        std::fprintf(stderr, "%s\n", missing.toLocal8Bit().constData());
    QApplication::setStyle(new DialogStyle);
    // Menus and tooltips in the dialog's font too: one face to load at start.
    QApplication::setFont(DialogFont());
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    QApplication::setOrganizationName(QStringLiteral("Orvanholt"));
    QApplication::setApplicationVersion(QString::fromLatin1(version::kText));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(version::kAppId));
    CRateApp theApp(app);
    return theApp.InitInstance(QByteArray::fromStdString(line.film));
}
