#include "app/CWaitCursor.h"
#include "app/CMainFrame.h"

#include <cstring>
#include <ctime>
#include <memory>

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStandardPaths>
#include <QToolBar>

#include "app/AppCommands.h"
#include "app/AppTexts.h"
#include "app/CAboutDlg.h"
#include "app/CCompareDlg.h"
#include "app/CHistoryDlg.h"
#include "app/CMultiLangMenu.h"
#include "app/CMultiLangWnd.h"
#include "app/COpenFile.h"
#include "app/CAutrelDoc.h"
#include "app/CMainView.h"
#include "app/CPlaceholderView.h"
#include "app/CPlaybackBar.h"
#include "app/CQtShell.h"
#include "app/CScreenInfo.h"
#include "app/ReportPdf.h"
#include "app/SettingsReplacement.h"
#include "data/CDiagFile.h"
#include "data/CDiagInputThread.h"
#include "data/CPlayback.h"
#include "data/CRecorder.h"
#include "data/CUserConfig.h"
#include "data/LiveCsv.h"
#include "data/RecordingCheck.h"
#include "data/SettingsFileIO.h"
#include "data/TempFileBeside.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/SettingsTransfer.h"
#include "views/CBottomView.h"

namespace {

constexpr int kUpperHeight = 580;
constexpr int kBottomHeight = 100;
// How long closing waits for the reader to finish its exchange and close a
// recording whole.
constexpr std::uint32_t kCloseStopMs = 1000;
// The recording's time and count beside its button follow at this pace.
constexpr int kRecordTickMs = 250;

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

// The icons are compiled into the static library, whose resources a program
// must ask for by name; outside any namespace, as the macro needs.
static void initAppResources()
{
    Q_INIT_RESOURCE(nimo);
}

CMainFrame::CMainFrame(CAutrelDoc& doc, CQtShell& shell, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_shell(shell)
{
    initAppResources();
    m_menuTexts.addTable("CMainMenuTexts");
    setObjectName("128");
    setWindowIcon(QIcon(":/icons/nimo.svg"));
    m_shell.setWindow(this);

    buildMenu();
    buildToolbar();

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(2);
    setCentralWidget(m_splitter);
    m_upper = new CMainView(m_doc, m_splitter);
    m_bottom = new CBottomView(m_doc, m_splitter);
    m_splitter->addWidget(m_upper);
    m_splitter->addWidget(m_bottom);
    const CScreenInfo& screen = screenInfo();
    m_splitter->setSizes({screen.scaleY(kUpperHeight), screen.scaleY(kBottomHeight)});
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    resize(screen.width(), screen.height());

    m_shell.onLinkState = [this](bool connected, bool) { m_bottom->setConnectionState(connected); };
    m_shell.onFaultIndicator = [this](bool on) { m_bottom->setErrorIndicator(on); };
    connect(&m_shell, &CQtShell::linkWasLost, this, &CMainFrame::onLinkLost, Qt::QueuedConnection);

    m_display.setInterval(DISPLAY_PERIOD_MS);
    connect(&m_display, &QTimer::timeout, this, &CMainFrame::onDisplayTick);
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, &CMainFrame::onReconnectTick);

    chooseFile = [this](bool save) {
        // A save proposes a file named after today's date.
        QString start = settingsDirectory();
        if (save)
            start += QString::fromStdString(settingsFileDate(std::time(nullptr))) + ".ssf";
        const QString filter = QString::fromStdString(translate("Pliki ustawień (*.ssf)"));
        return COpenFile(start, filter, "ssf", save).exec(this);
    };
    chooseReportFile = [this](const QString& proposed) {
        // A paper for the owner, not a file for this program: among the documents.
        const QString start =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/" + proposed;
        const QString filter = QString::fromStdString(translate("Dokumenty PDF (*.pdf)"));
        return COpenFile(start, filter, "pdf", true).exec(this);
    };
    chooseDataFile = [this](const QString& start, const QString& filter, const QString& ext,
                            bool save) { return COpenFile(start, filter, ext, save).exec(this); };
    m_recordTick.setInterval(kRecordTickMs);
    connect(&m_recordTick, &QTimer::timeout, this, &CMainFrame::showRecordingState);

    setDocumentTitle(QString::fromStdString(translate("Menu główne")));
    applyTexts();
}

QString CMainFrame::settingsDirectory()
{
    // Created when missing; a failure only means the dialog starts elsewhere.
    return QString::fromStdString(CUserConfig::settingsDirectory());
}

CUserConfig& CMainFrame::userConfig()
{
    return m_shell.config();
}

CMainFrame::~CMainFrame()
{
    m_shell.onLinkState = nullptr;
    m_shell.onFaultIndicator = nullptr;
    m_shell.setWindow(nullptr);
}

void CMainFrame::buildMenu()
{
    QMenu* file = menuBar()->addMenu(QString());
    // 0 stands for a separator.
    for (const int command : {int(ID_FILE_HISTORY), int(ID_FILE_COMPARE), int(ID_FILE_REPORT), 0,
                              int(ID_FILE_PLAYBACK), int(ID_FILE_EXPORT_CSV)}) {
        if (command == 0) {
            file->addSeparator();
            continue;
        }
        QAction* a = file->addAction(QString(), this, [this, command] { runCommand(command); });
        CMultiLangMenu::setCommandId(a, command);
        m_actions[command] = a;
    }
    file->addSeparator();
    QAction* exit = file->addAction(QString(), this, &QWidget::close);
    CMultiLangMenu::setCommandId(exit, ID_APP_EXIT);
    m_actions[ID_APP_EXIT] = exit;

    QMenu* languages = menuBar()->addMenu(QString());
    auto* group = new QActionGroup(this);
    struct SLanguageItem {
        int command;
        const char* flag;
    };
    // The menu's own order, not the languages' numbers.
    const SLanguageItem items[] = {{ID_LANG_PL, ":/icons/flag-pl.svg"},
                                   {ID_LANG_RU, ":/icons/flag-ru.svg"},
                                   {ID_LANG_EN, ":/icons/flag-en.svg"},
                                   {ID_LANG_DE, ":/icons/flag-de.svg"},
                                   {ID_LANG_IT, ":/icons/flag-it.svg"}};
    for (const SLanguageItem& item : items) {
        QAction* a = languages->addAction(QIcon(item.flag), QString());
        CMultiLangMenu::setCommandId(a, item.command);
        a->setCheckable(true);
        group->addAction(a);
        const int language = languageOfCommand(item.command);
        connect(a, &QAction::triggered, this, [this, language] { setLanguage(language); });
        m_actions[item.command] = a;
    }

    QMenu* about = menuBar()->addMenu(QString());
    QAction* box = about->addAction(QString(), this, [this] { CAboutDlg(this).exec(); });
    CMultiLangMenu::setCommandId(box, ID_APP_ABOUT);
    m_actions[ID_APP_ABOUT] = box;
}

void CMainFrame::buildToolbar()
{
    QToolBar* bar = addToolBar(QString());
    bar->setObjectName("150");
    bar->setMovable(false);
    bar->setIconSize(QSize(32, 32));
    auto* views = new QActionGroup(this);
    for (const SToolbarCommand& c : toolbarCommands()) {
        QAction* a = bar->addAction(QIcon(c.icon), QString());
        a->setData(c.command);
        a->setObjectName(QString::number(c.command));
        if (isViewCommand(c.command)) {
            a->setCheckable(true);
            views->addAction(a);
        }
        // Checked while a recording runs, whoever ended it.
        if (c.command == ID_RECORD)
            a->setCheckable(true);
        const int command = c.command;
        connect(a, &QAction::triggered, this, [this, command] {
            runCommand(command);
            // A press that could not start or stop anything leaves the
            // button as the recorder is.
            if (command == ID_RECORD)
                showRecordingState();
        });
        m_actions[c.command] = a;
    }
    m_recordStatus = new QLabel(bar);
    m_recordStatus->setObjectName("recordingStatus");
    m_recordStatus->setContentsMargins(6, 0, 6, 0);
    bar->addWidget(m_recordStatus);
}

QAction* CMainFrame::action(int command) const
{
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::applyTexts()
{
    m_menuTexts.apply(menuBar());
    for (const SToolbarCommand& c : toolbarCommands()) {
        const QString tip = QString::fromStdString(translate(c.tooltip));
        m_actions[c.command]->setText(tip);
        m_actions[c.command]->setToolTip(tip);
    }
    if (QAction* current = action(commandOfLanguage(currentLanguage())))
        current->setChecked(true);
    // The divider can be dragged, so a screen reader must be able to name it.
    if (m_splitter != nullptr)
        m_splitter->handle(1)->setAccessibleName(
            QString::fromStdString(translate("Granica widoku i paska stanu")));
    m_recordStatus->setAccessibleName(qs(translate("Stan nagrywania")));
    showRecordingState();
    if (m_playbackBar != nullptr)
        m_playbackBar->applyTexts();
}

void CMainFrame::setDocumentTitle(const QString& title)
{
    m_docTitle = title;
    setWindowTitle(title + " - " + QString::fromUtf8(kAppTitle));
}

void CMainFrame::registerView(int command, FViewFactory factory)
{
    m_views[command] = std::move(factory);
}

void CMainFrame::showView(int command)
{
    if (command == ID_VIEW_CORR_ALIAS)
        command = ID_VIEW_CORR;
    // No view state survives a switch: the old one goes before the new one is made.
    const QList<int> sizes = m_splitter->sizes();
    delete m_upper;
    m_upper = nullptr;
    const auto it = m_views.find(command);
    if (it != m_views.end()) {
        m_upper = it->second(m_doc, m_splitter);
    } else {
        const char* title = "";
        for (const SToolbarCommand& c : toolbarCommands())
            if (c.command == command)
                title = c.tooltip;
        m_upper = new CPlaceholderView(m_doc, title, m_splitter);
    }
    m_upperCommand = command;
    m_splitter->insertWidget(0, m_upper);
    m_splitter->setSizes(sizes);
    if (QAction* a = action(command))
        a->setChecked(true);
    for (const SToolbarCommand& c : toolbarCommands())
        if (c.command == command && c.reloadsSettings)
            m_upper->reloadSettings();
    m_upper->refreshControls();
}

void CMainFrame::runCommand(int command)
{
    // The retries of a controller command keep the window alive, toolbar
    // included: a second command would run inside the first one's write
    // sequence, and a view switch would delete the view it refreshes.
    if (m_commandRunning)
        return;
    m_commandRunning = true;
    try {
        if (isViewCommand(command))
            showView(command);
        else if (command == ID_FILE_FACTORY)
            factorySettings();
        else if (command == ID_FILE_LOAD)
            loadSettings();
        else if (command == ID_FILE_SAVE)
            saveSettings();
        else if (command == ID_FILE_HISTORY)
            showHistory();
        else if (command == ID_FILE_COMPARE)
            compareSettings();
        else if (command == ID_FILE_REPORT)
            writeReport();
        else if (command == ID_RECORD)
            toggleRecording();
        else if (command == ID_FILE_PLAYBACK)
            choosePlayback();
        else if (command == ID_FILE_EXPORT_CSV)
            exportCsv();
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        m_shell.errorBox(e->description());
    } catch (...) {
        m_shell.errorBox(translate("Błąd krytyczny."));
    }
    m_commandRunning = false;
}

void CMainFrame::setLanguage(int language)
{
    if (language == currentLanguage()) {
        applyTexts(); // keeps the check mark on the current item
        return;
    }
    setCurrentLanguage(language);
    m_doc.rebuildErrors();
    applyTexts();
    if (m_upper != nullptr)
        m_upper->refreshControls();
    m_bottom->resetValues();
    // Open dialogs retitle themselves on the change event.
    announceLanguageChange();
}

void CMainFrame::startFirstConnection(bool demo)
{
    m_bottom->resetValues();
    if (demo) {
        m_doc.rebuildErrors();
        m_doc.enterDemo();
    } else {
        m_doc.connect();
    }
    m_bottom->setConnectionState(m_doc.isConnected());
    if (m_doc.isConnected())
        startLiveData();
    else
        m_reconnect.start(RECONNECT_PERIOD_MS);
    showUnsavedNotice();
}

void CMainFrame::showUnsavedNotice()
{
    if (const std::string notice = m_shell.takeUnsavedNotice(); !notice.empty())
        m_shell.errorBox(notice);
}

void CMainFrame::startLiveData()
{
    startLive(m_doc, m_doc.m_recording.empty() ? NO_RECORDING : m_doc.m_recording);
    m_display.start();
}

bool CMainFrame::liveDataShown() const
{
    return m_doc.isConnected() || m_playbackBar != nullptr;
}

void CMainFrame::onDisplayTick()
{
    try {
        m_bottom->updateLiveValues();
        diag_t rec{};
        if (m_upper != nullptr && liveDataShown() && m_doc.m_diagData.count() > 0) {
            m_doc.m_diagData.getLast(rec);
            m_upper->onDiagRecord(rec);
        }
        if (--m_errorTicks <= 0) {
            m_errorTicks = ERROR_READ_TICKS;
            m_bottom->refreshErrorIndicator();
        }
        m_bottom->setConnectionState(m_doc.isConnected());
    } catch (IError* e) {
        // A tick that fails is simply lost; the next one tries again.
        std::unique_ptr<IError> owned(e);
    }
}

void CMainFrame::onLinkLost()
{
    m_bottom->setConnectionState(false);
    // The port is not scanned under a playback; closing it takes this up.
    if (m_playbackBar != nullptr) {
        m_resumeReconnect = true;
        return;
    }
    if (!m_reconnect.isActive())
        m_reconnect.start(RECONNECT_AFTER_LOSS_MS);
}

void CMainFrame::onReconnectTick()
{
    if (m_playbackBar != nullptr) {
        m_resumeReconnect = true;
        return;
    }
    m_bottom->setConnectionState(m_doc.isConnected());
    // A reader that has not quite ended would share the port with the scan.
    stopLive(m_doc, kCloseStopMs);
    if (!m_doc.scanPorts(false)) {
        m_reconnect.start(RECONNECT_PERIOD_MS);
        return;
    }
    m_bottom->setConnectionState(true);
    startLiveData();
    showUnsavedNotice();
}

bool CMainFrame::confirm(const std::string& polish)
{
    return m_shell.ask(translate(polish));
}

void CMainFrame::refreshUpperControls()
{
    if (m_upper != nullptr)
        m_upper->refreshControls();
}

void CMainFrame::factorySettings()
{
    if (!confirm("Czy chcesz przywrócić ustawienia fabryczne?"))
        return;
    CWaitCursor wait;
    if (!m_doc.isConnected())
        return;
    const std::string failure = runSettingsReplacement(
        [this](std::string* backup) { return restoreFactorySettings(m_doc, backup); });
    if (!failure.empty())
        m_shell.errorBox(failure);
    refreshUpperControls();
}

void CMainFrame::loadSettings()
{
    const QString path = chooseFile ? chooseFile(false) : QString();
    if (path.isEmpty())
        return;
    const std::string file = path.toStdString();
    // Texts in another encoding would reach the controller as their bytes;
    // a controller that a program of another code page filled holds such
    // texts, so its files must still load, but not unasked. A file that
    // fails here fails below again with its reason.
    if (CSettings copy = m_doc.settings(); m_doc.isConnected() && loadSettingsFile(file, copy)) {
        const std::string foreign = foreignTexts(copy);
        if (!foreign.empty() && !m_shell.ask(translateFill(
                                    "Teksty z pliku nie są zapisane w UTF-8 (plik zapisano chyba "
                                    "w innym kodowaniu) i trafiłyby do sterownika tak: %1. "
                                    "Czy mimo to wczytać plik?",
                                    {foreign})))
            return;
    }
    CWaitCursor wait;
    const std::string failure = runSettingsReplacement([this, &file](std::string* backup) {
        return loadSettingsIntoDevice(m_doc, file, EReplaceOperation::Load, backup);
    });
    if (failure.empty())
        refreshUpperControls();
    else
        m_shell.errorBox(failure);
}

void CMainFrame::saveSettings()
{
    const QString path = chooseFile ? chooseFile(true) : QString();
    if (path.isEmpty())
        return;
    CWaitCursor wait;
    const STransferOutcome r = saveSettingsToFile(m_doc, path.toStdString(), std::time(nullptr));
    if (!r.ok())
        m_shell.errorBox(r.message);
}

void CMainFrame::showHistory()
{
    delete m_dialog;
    auto* dlg = new CHistoryDlg(m_doc, m_shell, this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->chooseFile = [this] { return chooseFile ? chooseFile(false) : QString(); };
    dlg->onRestored = [this] { refreshUpperControls(); };
    m_dialog = dlg;
    dlg->open();
}

void CMainFrame::compareSettings()
{
    const QString path = chooseFile ? chooseFile(false) : QString();
    if (path.isEmpty())
        return;
    CSettings a;
    std::string error;
    if (!loadSettingsFile(path.toStdString(), a, &error)) {
        m_shell.errorBox(error);
        return;
    }
    delete m_dialog;
    auto* dlg = new CCompareDlg(m_doc, m_shell, QFileInfo(path).fileName().toStdString(), a, this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->chooseFile = [this] { return chooseFile ? chooseFile(false) : QString(); };
    m_dialog = dlg;
    // Without a controller the only other side is a second file.
    if (m_doc.isConnected())
        dlg->compareWithController();
    else if (!dlg->compareWithFile()) {
        delete dlg;
        return;
    }
    dlg->open();
}

void CMainFrame::writeReport()
{
    // Said before the file is chosen: a name picked for nothing is a
    // question asked for nothing.
    if (!m_doc.isConnected()) {
        m_shell.errorBox(
            translate("Raport wymaga połączenia ze sterownikiem (albo trybu demonstracyjnego)."));
        return;
    }
    const std::time_t now = std::time(nullptr);
    const QString proposed = reportFileName(m_doc.m_devInfo.m_serial, now);
    const QString path = chooseReportFile ? chooseReportFile(proposed) : QString();
    if (path.isEmpty())
        return;
    CWaitCursor wait;
    const std::string why =
        writeInstallationReport(m_doc, userConfig().mountServiceName(), path.toStdString(), now);
    if (!why.empty())
        m_shell.errorBox(why);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_display.stop();
    m_reconnect.stop();
    m_recordTick.stop();
    // Gone without giving the live data back: the window is closing.
    delete m_playbackBar;
    m_playbackBar = nullptr;
    // The reader ends after its exchange and closes a recording whole; a
    // window that closed under it would leave half a record behind.
    stopLive(m_doc, kCloseStopMs);
    m_doc.m_recorder.stop();
    event->accept();
}

void CMainFrame::toggleRecording()
{
    if (m_doc.m_recorder.recording())
        stopRecording();
    else
        startRecording();
    showRecordingState();
}

void CMainFrame::startRecording()
{
    // A playback feeds no reader; its button is off meanwhile.
    if (m_playbackBar != nullptr)
        return;
    auto refuse = [this](const std::string& why) {
        m_shell.errorBox(translateFill("Nie można rozpocząć nagrywania: %1", {why}));
    };
    std::string error;
    const std::string path = newRecordingPath(std::time(nullptr), m_doc.m_devInfo.m_serial, error);
    if (path.empty())
        return refuse(error);
    if (const int err = m_doc.m_recorder.start(path); err != 0) {
        std::string why = path + ": " + translate("nie można utworzyć pliku w tym katalogu");
        if (err > 0)
            why += std::string(" (") + std::strerror(err) + ")";
        return refuse(why);
    }
    m_recordShown = true;
    m_recordTick.start();
}

void CMainFrame::stopRecording()
{
    m_doc.m_recorder.stop();
}

void CMainFrame::setStatusText(const char* polish, const std::string& a, const std::string& b)
{
    m_statusText = polish;
    m_statusArgs[0] = a;
    m_statusArgs[1] = b;
    m_recordStatus->setText(m_statusText ? qs(translateFill(m_statusText, {a, b})) : QString());
    m_recordStatus->setVisible(m_statusText != nullptr);
}

void CMainFrame::showRecordingState()
{
    const SRecorderState st = m_doc.m_recorder.state();
    const std::string records = std::to_string(st.records);
    if (st.recording) {
        setStatusText("Nagrywanie %1, rekordów: %2", playbackTimeText(st.seconds), records);
    } else if (m_recordShown) {
        // Ended by the button or on its own; either way once.
        m_recordShown = false;
        m_recordTick.stop();
        setStatusText("Zapisano %1, rekordów: %2", QFileInfo(qs(st.path)).fileName().toStdString(),
                      records);
        if (st.failure != 0)
            m_shell.errorBox(translateFill(
                "Nagrywanie przerwane: nie można zapisać pliku %1 (%2). Zachowano rekordów: %3.",
                {st.path, std::strerror(st.failure), records}));
    } else {
        setStatusText(m_statusText, m_statusArgs[0], m_statusArgs[1]);
    }
    if (QAction* a = action(ID_RECORD))
        a->setChecked(st.recording);
}

void CMainFrame::choosePlayback()
{
    const QString path = chooseDataFile
                             ? chooseDataFile(qs(CUserConfig::recordingsDirectory()),
                                              qs(translate("Nagrania (*.bin)")), "bin", false)
                             : QString();
    if (!path.isEmpty())
        openPlayback(path);
}

bool CMainFrame::openPlayback(const QString& path)
{
    const std::string file = path.toStdString();
    // Told from the file's type and size first: a FIFO would block the open
    // and a huge file would be read whole with the window frozen.
    const SRecordingCheck check = checkRecording(file);
    CDiagFileReader reader;
    std::vector<diag_t> records;
    if (check.error.empty() && reader.open(file)) {
        records.reserve(static_cast<std::size_t>(check.records));
        reader.readAll(records);
    }
    if (!check.error.empty() || records.empty()) {
        m_shell.errorBox(!check.error.empty()
                             ? check.error
                             : translateFill("Nagranie %1 nie zawiera żadnego rekordu.", {file}));
        return false;
    }
    if (m_playbackBar != nullptr) {
        // One recording after another: the live data stay paused.
        removeToolBar(m_playbackBar);
        delete m_playbackBar;
        m_playbackBar = nullptr;
    } else {
        // Nothing would come to a recording while the reader rests.
        if (m_doc.m_recorder.recording()) {
            stopRecording();
            showRecordingState();
        }
        m_resumeReconnect = m_reconnect.isActive();
        m_reconnect.stop();
        m_displayWasActive = m_display.isActive();
        stopLive(m_doc, kCloseStopMs);
    }
    m_doc.m_diagData.clear();
    m_doc.m_history.clear();
    m_bottom->setPlayback(true);
    if (QAction* a = action(ID_RECORD))
        a->setEnabled(false);
    m_playbackBar = new CPlaybackBar(m_doc, CPlayback(std::move(records)),
                                     QFileInfo(path).fileName().toStdString(), playbackClock, this);
    addToolBar(Qt::BottomToolBarArea, m_playbackBar);
    // Queued: the bar's own button asks, and must not be deleted under it.
    connect(m_playbackBar, &CPlaybackBar::closeRequested, this, &CMainFrame::closePlayback,
            Qt::QueuedConnection);
    m_display.start();
    onDisplayTick();
    if (!check.note.empty())
        m_shell.errorBox(check.note);
    return true;
}

void CMainFrame::closePlayback()
{
    if (m_playbackBar == nullptr)
        return;
    removeToolBar(m_playbackBar);
    delete m_playbackBar;
    m_playbackBar = nullptr;
    // The live data start afresh: nothing of the recording may pass for them.
    m_doc.m_diagData.clear();
    m_doc.m_history.clear();
    m_bottom->setPlayback(false);
    m_bottom->resetValues();
    if (QAction* a = action(ID_RECORD))
        a->setEnabled(true);
    if (m_doc.isConnected()) {
        startLiveData();
        return;
    }
    if (!m_displayWasActive)
        m_display.stop();
    if (m_resumeReconnect)
        m_reconnect.start(RECONNECT_AFTER_LOSS_MS);
    // Without a link the view would go on showing the recording's last record.
    if (m_upperCommand != 0)
        showView(m_upperCommand);
}

void CMainFrame::exportCsv()
{
    if (!chooseDataFile)
        return;
    const QString recording = chooseDataFile(qs(CUserConfig::recordingsDirectory()),
                                             qs(translate("Nagrania (*.bin)")), "bin", false);
    if (recording.isEmpty())
        return;
    // Refused before a target is asked for, as the playback refuses it.
    const SRecordingCheck check = checkRecording(recording.toStdString());
    if (!check.error.empty()) {
        m_shell.errorBox(check.error);
        return;
    }
    const QFileInfo info(recording);
    const QString proposed = info.path() + "/" + info.completeBaseName() + ".csv";
    const QString csv = chooseDataFile(proposed, qs(translate("Pliki CSV (*.csv)")), "csv", true);
    if (csv.isEmpty())
        return;
    if (const std::string why = writeTargetProblem(csv.toStdString()); !why.empty()) {
        m_shell.errorBox(
            translateFill("Nie można wyeksportować nagrania do %1: %2", {csv.toStdString(), why}));
        return;
    }
    CWaitCursor wait;
    const SCsvExport r = exportRecordingCsv(recording.toStdString(), csv.toStdString());
    if (!r.ok) {
        m_shell.errorBox(r.error);
        return;
    }
    setStatusText("Wyeksportowano %1, rekordów: %2", QFileInfo(csv).fileName().toStdString(),
                  std::to_string(r.records));
    if (!check.note.empty())
        m_shell.errorBox(check.note);
}
