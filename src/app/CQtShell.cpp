#include "app/CQtShell.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>

#include "app/AppTexts.h"
#include "app/CNoConnectionDlg.h"
#include "app/CSplashDlg.h"
#include "app/CWaitDlg.h"
#include "link/CPortList.h"
#include "link/PortDiagnosis.h"
#include "lang/Translation.h"

CQtShell::CQtShell(std::string configPath, QObject* parent)
    : QObject(parent), m_config(std::move(configPath))
{
}

CQtShell::~CQtShell() = default;

int CQtShell::lastPort()
{
    if (m_preferredPort != 0)
        return m_preferredPort;
    // A port this run could not store wins over whatever the file still says.
    if (m_lastPort != 0 || m_config.path().empty())
        return m_lastPort;
    return m_config.lastPort();
}

void CQtShell::storeLastPort(int port)
{
    if (m_config.path().empty()) {
        m_lastPort = port;
        return;
    }
    // Kept for this run at least; the next start scans from port 1.
    if (m_config.storeLastPort(port)) {
        m_lastPort = 0;
    } else {
        const int err = errno;
        m_lastPort = port;
        const std::string path = CPortList::pathOf(port);
        noteUnsaved(translateFill("Nie można zapisać pliku ustawień programu %1 (%2); port %3, na "
                                  "którym odpowiada sterownik, nie zostanie zapamiętany na "
                                  "następne uruchomienie.",
                                  {m_config.path(), std::strerror(err != 0 ? err : EIO),
                                   path.empty() ? std::to_string(port) : path}));
    }
}

std::string CQtShell::workshopNotKeptText(const CUserConfig& config, const std::string& name,
                                          int err)
{
    if (config.path().empty())
        return {};
    return translateFill("Nie można zapisać pliku ustawień programu %1 (%2); nazwa zakładu „%3” "
                         "nie zostanie zapamiętana na następny raz.",
                         {config.path(), std::strerror(err != 0 ? err : EIO), name});
}

void CQtShell::noteUnsaved(const std::string& text)
{
    // Once a run: every reconnection would store the port again.
    if (m_unsavedNoted)
        return;
    m_unsavedNoted = true;
    m_unsaved = text;
}

std::string CQtShell::takeUnsavedNotice()
{
    return std::exchange(m_unsaved, std::string());
}

void CQtShell::showSplash(const std::string& text)
{
    if (m_windowless)
        return;
    m_splash = std::make_unique<CSplashDlg>(QString::fromStdString(text), m_window);
}

void CQtShell::closeSplash()
{
    m_splash.reset();
}

void CQtShell::showWaiting(const std::string& text)
{
    if (m_windowless)
        return;
    m_waiting = std::make_unique<CWaitDlg>(QString::fromStdString(text), m_window);
}

void CQtShell::closeWaiting()
{
    m_waiting.reset();
}

void CQtShell::errorBox(const std::string& text)
{
    if (onErrorBox) {
        onErrorBox(text);
        return;
    }
    if (m_windowless) {
        std::fprintf(stderr, "nimo: %s\n", text.c_str());
        return;
    }
    QMessageBox::critical(m_window, QString::fromUtf8(kAppTitle), QString::fromStdString(text));
}

bool CQtShell::askDemoMode()
{
    if (onAskDemoMode)
        return onAskDemoMode();
    if (m_windowless)
        return false;
    // The scan is over: the splash would only stand behind the question.
    m_splash.reset();
    // The scan has just run its link tests; the details only reopen the ports.
    SPortProbe probe;
    probe.testLink = false;
    CNoConnectionDlg dialog(diagnoseScan(lastPort(), probe), m_window);
    return dialog.exec() == QDialog::Accepted;
}

void CQtShell::showLinkState(bool connected, bool demo)
{
    if (onLinkState)
        onLinkState(connected, demo);
}

void CQtShell::setFaultIndicator(bool on)
{
    if (onFaultIndicator)
        onFaultIndicator(on);
}

void CQtShell::pumpEvents()
{
    QCoreApplication::processEvents();
}

void CQtShell::sleep(std::uint32_t ms)
{
    if (m_fastSleep)
        return;
    QElapsedTimer timer;
    timer.start();
    for (qint64 left = ms; left > 0; left = qint64(ms) - timer.elapsed()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(left));
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(10, left)));
    }
}

void CQtShell::linkLost()
{
    emit linkWasLost();
}

bool CQtShell::ask(const std::string& text)
{
    if (onAsk)
        return onAsk(text);
    if (m_windowless)
        return false;
    return QMessageBox::question(m_window, QString::fromUtf8(kAppTitle),
                                 QString::fromStdString(text)) == QMessageBox::Yes;
}
