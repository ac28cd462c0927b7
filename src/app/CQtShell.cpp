#include "app/CQtShell.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QThread>
#include <QVBoxLayout>

#include "app/AppTexts.h"
#include "lang/Translation.h"

namespace {

// A small modeless window with one line of text, painted before the long
// operation that follows it starts on the same thread.
std::unique_ptr<QWidget> showTextWindow(QWidget* owner, const std::string& text)
{
    auto w = std::make_unique<QWidget>(owner, Qt::Dialog | Qt::FramelessWindowHint);
    w->setObjectName("1194");
    auto* layout = new QVBoxLayout(w.get());
    auto* label = new QLabel(QString::fromStdString(text), w.get());
    label->setObjectName("1194");
    label->setAlignment(Qt::AlignCenter);
    label->setMargin(24);
    layout->addWidget(label);
    w->setAccessibleName(label->text());
    w->adjustSize();
    w->show();
    w->repaint();
    QCoreApplication::processEvents();
    return w;
}

} // namespace

CQtShell::CQtShell(std::string configPath, QObject* parent)
    : QObject(parent), m_config(std::move(configPath))
{
}

CQtShell::~CQtShell() = default;

int CQtShell::lastPort()
{
    if (m_preferredPort != 0)
        return m_preferredPort;
    return m_config.path().empty() ? m_lastPort : m_config.lastPort();
}

void CQtShell::storeLastPort(int port)
{
    // A file that cannot be written only means the next start scans from port 1.
    if (m_config.path().empty() || !m_config.storeLastPort(port))
        m_lastPort = port;
}

void CQtShell::showSplash(const std::string& text)
{
    m_splash = showTextWindow(m_window, text);
}

void CQtShell::closeSplash()
{
    m_splash.reset();
}

void CQtShell::showWaiting(const std::string& text)
{
    m_waiting = showTextWindow(m_window, text);
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
    QMessageBox::critical(m_window, QString::fromUtf8(kAppTitle), QString::fromStdString(text));
}

bool CQtShell::askDemoMode()
{
    if (onAskDemoMode)
        return onAskDemoMode();
    const auto answer = QMessageBox::question(
        m_window, QString::fromUtf8(kAppTitle),
        QString::fromStdString(translate("Nie można nawiązać połączenia ze sterownikiem.")));
    return answer == QMessageBox::Yes;
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
    return QMessageBox::question(m_window, QString::fromUtf8(kAppTitle),
                                 QString::fromStdString(text)) == QMessageBox::Yes;
}
