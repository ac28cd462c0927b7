// nimo: the desktop application.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QScreen>
#include <QTimer>

#include "CEmuServer.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "app/CScreenInfo.h"
#include "app/GuiOptions.h"
#include "app/HeadlessReport.h"
#include "data/CUserConfig.h"
#include "data/RecordingCheck.h"
#include "lang/Translation.h"
#include "link/CPortList.h"

int main(int argc, char** argv)
{
    QApplication::setOrganizationName("Nimo");
    QApplication::setApplicationName("nimo");
    // A report is written on machines without a display, and shows nothing
    // where there is one; the toolkit takes its platform when it starts.
    if (reportRequested(std::vector<std::string>(argv + 1, argv + argc)))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(":/icons/nimo.svg"));

    std::vector<std::string> args(argv + 1, argv + argc);
    if (const int language = requestedLanguage(args); language >= 0)
        setCurrentLanguage(language);
    SGuiOptions opt;
    if (const std::string why = parseGuiOptions(args, opt); !why.empty()) {
        std::fprintf(stderr, "nimo: %s\n%s\n", why.c_str(), guiUsage().c_str());
        return 2;
    }
    if (opt.help) {
        std::printf("%s\n", guiUsage().c_str());
        return 0;
    }
    if (opt.language >= 0)
        setCurrentLanguage(opt.language);
    // A recording that cannot be played is said before any window opens,
    // as a script starting the playback needs it.
    if (!opt.play.empty() && opt.report.empty()) {
        if (const SRecordingCheck check = checkRecording(opt.play); !check.error.empty()) {
            std::fprintf(stderr, "nimo: %s\n", check.error.c_str());
            return 2;
        }
    }

    // The embedded controller answers on a real pseudo-terminal at the line's
    // pace, so the whole serial path is the one a car would use.
    std::unique_ptr<CEmuServer> emulator;
    std::vector<std::string> ports = opt.ports;
    if (opt.emulator) {
        SEmuServerConfig cfg;
        cfg.m_pace = true;
        emulator = std::make_unique<CEmuServer>(cfg);
        try {
            emulator->start();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "nimo: %s\n", e.what());
            return 3;
        }
        ports.insert(ports.begin(), emulator->slavePath());
    }
    if (!ports.empty())
        CPortList::setUserPaths(ports);

    if (!opt.report.empty()) {
        CQtShell shell(CUserConfig::defaultPath());
        if (opt.port != 0)
            shell.preferPort(opt.port);
        CAutrelDoc doc(shell);
        const int rc = runHeadlessReport(doc, shell, opt.report, opt.demo);
        if (emulator)
            emulator->stop();
        return rc;
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        screenInfo().setWorkArea(area.width(), area.height());
    }

    CQtShell shell(CUserConfig::defaultPath());
    if (opt.port != 0)
        shell.preferPort(opt.port);
    CAutrelDoc doc(shell);
    CMainFrame frame(doc, shell);
    registerViews(frame);
    frame.show();
    QTimer::singleShot(0, &frame, [&] {
        frame.startFirstConnection(opt.demo);
        if (!opt.play.empty())
            frame.openPlayback(QString::fromStdString(opt.play));
    });
    const int rc = app.exec();
    if (emulator)
        emulator->stop();
    return rc;
}
