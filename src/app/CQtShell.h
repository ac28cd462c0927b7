// The controller object's shell in the desktop application: message boxes,
// the splash and waiting windows, the no-connection question, the status
// bar's link and fault indicators, and the lost-link signal, which arrives on
// the reader thread and is handed to the user-interface thread queued.
// Tests answer every window through the hooks instead of a person.
// Thread safety: linkLost() from any thread; everything else on the
// user-interface thread.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "data/CUserConfig.h"
#include "link/IGasShell.h"

class CQtShell : public QObject, public IGasShell {
    Q_OBJECT
public:
    // configPath: the INI file shared with nimo-cli; empty keeps the last
    // port in memory only (tests).
    explicit CQtShell(std::string configPath = {}, QObject* parent = nullptr);
    ~CQtShell() override;

    // The file that "Last RS nr" and "Mount Service Name" live in.
    CUserConfig& config() { return m_config; }
    // A port named on the command line is tried first, before the one stored.
    void preferPort(int port) { m_preferredPort = port; }
    // The window that message boxes and dialogs belong to.
    void setWindow(QWidget* window) { m_window = window; }
    // A run from the command line that must show nothing: no splash or
    // waiting window, errors on stderr, every question answered No.
    void setWindowless(bool on) { m_windowless = on; }

    int lastPort() override;
    void storeLastPort(int port) override;
    void showSplash(const std::string& text) override;
    void closeSplash() override;
    void showWaiting(const std::string& text) override;
    void closeWaiting() override;
    void errorBox(const std::string& text) override;
    bool askDemoMode() override;
    void showLinkState(bool connected, bool demo) override;
    void setFaultIndicator(bool on) override;
    void pumpEvents() override;
    // Sleeps with the window kept alive: events are dispatched meanwhile.
    void sleep(std::uint32_t ms) override;
    void linkLost() override;

    // A Yes/No question in a message box; true for Yes.
    bool ask(const std::string& text);

    // The port that answered could not be kept in the configuration file:
    // said once a run, taken by whoever shows it; empty when there is
    // nothing (new) to say.
    std::string takeUnsavedNotice();
    // What the fitter is told when the workshop name cannot be kept there;
    // empty for a configuration kept in memory only. err: the store's errno.
    static std::string workshopNotKeptText(const CUserConfig& config, const std::string& name,
                                           int err);

    // Set by tests (or the frame) to take the place of a person.
    std::function<void(const std::string&)> onErrorBox;
    std::function<bool()> onAskDemoMode;
    std::function<bool(const std::string&)> onAsk;
    std::function<void(bool connected, bool demo)> onLinkState;
    std::function<void(bool on)> onFaultIndicator;
    // When set, sleeps take no real time (tests of the retry rules).
    bool m_fastSleep = false;

signals:
    // Emitted on whatever thread the reader runs; connect it queued.
    void linkWasLost();

private:
    QPointer<QWidget> m_window;
    std::unique_ptr<QWidget> m_splash;
    std::unique_ptr<QWidget> m_waiting;
    CUserConfig m_config;
    int m_lastPort = 0;
    int m_preferredPort = 0;
    bool m_windowless = false;
    std::string m_unsaved;
    bool m_unsavedNoted = false;
    void noteUnsaved(const std::string& text);
};
