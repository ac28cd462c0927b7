// The main window: the toolbar of views and file commands, the language and
// about menus, the splitter with the upper view over the status bar, and the
// two timers that drive everything live (display 5001, reconnection 5003).
// Thread safety: the user-interface thread only; the lost-link signal of the
// reader reaches it queued.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include "app/CMultiLangMenu.h"

class CAutrelDoc;
class CBottomView;
class CMainMenuView;
class CPlaybackBar;
class CQtShell;
class CUserConfig;
class QAction;
class QLabel;
class QSplitter;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int DISPLAY_PERIOD_MS = 300;
    static constexpr int RECONNECT_AFTER_LOSS_MS = 1000;
    static constexpr int RECONNECT_PERIOD_MS = 5000;
    static constexpr int ERROR_READ_TICKS = 20;

    CMainFrame(CAutrelDoc& doc, CQtShell& shell, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The first connection as the status bar starts it: the scan with its
    // splash and no-connection question, then live data or the reconnection
    // timer. With demo set, demonstration mode without a scan.
    void startFirstConnection(bool demo = false);

    // Destroys the upper view and creates the one of a view command afresh.
    void showView(int command);
    void setLanguage(int language);
    // Runs a toolbar or menu command as a click would.
    void runCommand(int command);

    CMainMenuView* upperView() const { return m_upper; }
    int upperCommand() const { return m_upperCommand; }
    CBottomView* bottomView() const { return m_bottom; }
    QAction* action(int command) const;
    bool displayTimerActive() const { return m_display.isActive(); }
    bool reconnecting() const { return m_reconnect.isActive(); }
    // The document title the views set ("Wyświetlenie", ...), translated.
    void setDocumentTitle(const QString& title);

    // A view command's view; the frame knows the views it has been given.
    using FViewFactory = std::function<CMainMenuView*(CAutrelDoc&, QWidget*)>;
    void registerView(int command, FViewFactory factory);

    // The configuration file shared with nimo-cli (the workshop name).
    CUserConfig& userConfig();

    // Where settings files are offered first, with a trailing "/".
    static QString settingsDirectory();
    // Chooses the file of a load or save; empty for none. Tests replace it.
    std::function<QString(bool save)> chooseFile;
    // Chooses where the installation report goes, proposing a name; empty
    // for none. Tests replace it.
    std::function<QString(const QString& proposed)> chooseReportFile;
    // The settings history or comparison the menu opened last, while it is
    // open; null otherwise.
    QDialog* openDialog() const { return m_dialog; }

    // Chooses a recording or a CSV file: the folder (or a proposed path), a
    // filter, the default extension; empty for none. Tests replace it.
    std::function<QString(const QString& start, const QString& filter, const QString& ext,
                          bool save)>
        chooseDataFile;
    // Plays a recording in place of the live data, which pause until the
    // playback is closed. False, with the reason shown, when the file is
    // no recording or holds no record.
    bool openPlayback(const QString& path);
    void closePlayback();
    CPlaybackBar* playbackBar() const { return m_playbackBar; }
    // The playback's clock (seconds of a steady clock); tests give their own.
    std::function<double()> playbackClock;
    // The recording's elapsed time and record count beside its toolbar button.
    QLabel* recordingStatus() const { return m_recordStatus; }
    // Whatever the status bar and the upper view show comes from a controller
    // or from a recording played back.
    bool liveDataShown() const;

public slots:
    void onDisplayTick();
    void onReconnectTick();
    void onLinkLost();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildToolbar();
    void applyTexts();
    void startLiveData();
    // What the shell could not keep in the configuration file, once.
    void showUnsavedNotice();
    bool confirm(const std::string& polish);
    void factorySettings();
    void loadSettings();
    void saveSettings();
    void showHistory();
    void compareSettings();
    void writeReport();
    void refreshUpperControls();
    void toggleRecording();
    void startRecording();
    void stopRecording();
    // The status beside the record button; notices a recording that ended
    // on its own (a full disk) and says why.
    void showRecordingState();
    void choosePlayback();
    void exportCsv();
    // The text beside the record button, kept so a change of language can
    // say it again; null for none.
    void setStatusText(const char* polish, const std::string& a = {}, const std::string& b = {});

    CAutrelDoc& m_doc;
    CQtShell& m_shell;
    CMultiLangMenu m_menuTexts;
    QSplitter* m_splitter = nullptr;
    CMainMenuView* m_upper = nullptr;
    int m_upperCommand = 0;
    CBottomView* m_bottom = nullptr;
    QTimer m_display;
    QTimer m_reconnect;
    int m_errorTicks = ERROR_READ_TICKS;
    bool m_commandRunning = false;
    std::map<int, QAction*> m_actions;
    std::map<int, FViewFactory> m_views;
    QString m_docTitle;
    QPointer<QDialog> m_dialog;
    QLabel* m_recordStatus = nullptr;
    QTimer m_recordTick;
    bool m_recordShown = false; // the button shows a recording under way
    const char* m_statusText = nullptr;
    std::string m_statusArgs[2];
    CPlaybackBar* m_playbackBar = nullptr;
    // What the playback paused, to take up again when it closes.
    bool m_resumeReconnect = false;
    bool m_displayWasActive = false;
};
