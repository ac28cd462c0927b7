#include <cstdlib>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "EmuGTest.h"
#include "support/EmuWrites.h"
#include "app/AppCommands.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CMainMenuView.h"
#include "app/COpenFile.h"
#include "app/CQtShell.h"
#include "lang/LanguageScope.h"
#include "link/CPortList.h"
#include "link/Protocol.h"
#include "support/FrameRig.h"

namespace {

// The desktop shell as it is, with the waiting windows written down.
class CLoggingShell : public CQtShell {
public:
    void showWaiting(const std::string& text) override
    {
        windows.push_back(text);
        CQtShell::showWaiting(text);
    }
    std::vector<std::string> windows;
};

class CCountingView : public CMainMenuView {
public:
    using CMainMenuView::CMainMenuView;
    void refreshControls() override { ++refreshes; }
    int refreshes = 0;
};

struct SFileRig {
    SFileRig()
    {
        shell.m_fastSleep = true;
        shell.onErrorBox = [this](const std::string& t) { errors.push_back(t); };
        shell.onAskDemoMode = [] { return false; };
        shell.onAsk = [this](const std::string& t) {
            questions.push_back(t);
            return answerYes;
        };
        frame.registerView(ID_VIEW_SETTINGS, [](CAutrelDoc& d, QWidget* parent) {
            return new CCountingView(d, parent);
        });
        frame.runCommand(ID_VIEW_SETTINGS);
    }
    // The file the fitter picks in the next dialog.
    void pick(const QString& path)
    {
        frame.chooseFile = [path](bool) { return path; };
    }
    int refreshes() const { return static_cast<CCountingView*>(frame.upperView())->refreshes; }

    CLoggingShell shell;
    CAutrelDoc doc{shell};
    CMainFrame frame{doc, shell};
    std::vector<std::string> errors;
    std::vector<std::string> questions;
    bool answerYes = false;
};

std::string readAll(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeAll(const QString& path, const std::string& text)
{
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

class FileCommandsEmu : public EmuTest {
protected:
    SEmuStored stored() { return storedIn(emu()); }
    std::uint64_t writes() { return hostWrites(emu()); }

    CLanguageScope polish{LANG_PL};
    QTemporaryDir dir;
};

} // namespace

TEST_F(FileCommandsEmu, SaveThenChangeThenLoadRestoresTheControllerByteForByte)
{
    CPortScope ports({emu().path()});
    SFileRig rig;
    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    const SEmuStored before = stored();

    const QString file = dir.filePath("golf.ssf");
    rig.pick(file);
    rig.frame.runCommand(ID_FILE_SAVE);
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_NE(readAll(file).find("m_switchRPM\t"), std::string::npos);

    // Someone else reconfigures the car meanwhile.
    emu().withState([](SEmuState& s) {
        s.m_settings[2] = 2;
        s.m_settings[4] = 90;
        s.m_table.fill(130);
        s.m_mountData.fill(0);
    });
    ASSERT_NE(stored(), before);
    const int refreshes = rig.refreshes();
    rig.shell.windows.clear();
    emu().resetCounters();

    rig.frame.runCommand(ID_FILE_LOAD);
    EXPECT_TRUE(rig.errors.empty()) << rig.errors.front();
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(emu().counters().m_commands[CMD_CLEAR_ERRORS], 1u);
    EXPECT_EQ(rig.refreshes(), refreshes + 1);
    // The file is read under its own window, closed before the writes show theirs.
    EXPECT_EQ(rig.shell.windows, (std::vector<std::string>{"Wczytywanie ustawień z pliku",
                                                           "Przełączenie na benzynę...",
                                                           "Resetowanie sterownika LPG..."}));
    rig.frame.close();
}

TEST_F(FileCommandsEmu, ARefusedFileWritesNothingAndSaysWhichValueAndWhy)
{
    CPortScope ports({emu().path()});
    SFileRig rig;
    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    const QString file = dir.filePath("golf.ssf");
    rig.pick(file);
    rig.frame.runCommand(ID_FILE_SAVE);
    const std::string good = readAll(file);

    emu().withState([](SEmuState& s) { s.m_table.fill(130); });
    const SEmuStored before = stored();
    const double rpm = rig.doc.m_switchRPM;
    const int refreshes = rig.refreshes();
    emu().resetCounters();

    writeAll(file,
             std::regex_replace(good, std::regex("m_switchRPM\t[^\r\n]*"), "m_switchRPM\t12abc"));
    rig.frame.runCommand(ID_FILE_LOAD);
    writeAll(dir.filePath("empty.ssf"), "");
    rig.pick(dir.filePath("empty.ssf"));
    rig.frame.runCommand(ID_FILE_LOAD);

    ASSERT_EQ(rig.errors.size(), 2u);
    EXPECT_EQ(rig.errors[0],
              "Nie można wczytać ustawień z pliku: m_switchRPM=12abc: to nie jest liczba");
    EXPECT_EQ(rig.errors[1],
              "Nie można wczytać ustawień z pliku: " + dir.filePath("empty.ssf").toStdString() +
                  ": to nie jest plik ustawień");
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(rig.doc.m_switchRPM, rpm);
    EXPECT_EQ(rig.refreshes(), refreshes);

    // A cancelled dialog is no command at all.
    rig.pick(QString());
    rig.frame.runCommand(ID_FILE_LOAD);
    rig.frame.runCommand(ID_FILE_SAVE);
    EXPECT_EQ(rig.errors.size(), 2u);
    EXPECT_EQ(writes(), 0u);

    // A command started while another one runs (a click while the window
    // is kept alive) is not carried out inside it.
    const QString nested = dir.filePath("nested.ssf");
    rig.frame.chooseFile = [&](bool save) {
        if (save)
            return nested;
        rig.frame.runCommand(ID_FILE_SAVE);
        return QString();
    };
    rig.frame.runCommand(ID_FILE_LOAD);
    EXPECT_FALSE(QFile::exists(nested));
    rig.frame.runCommand(ID_FILE_SAVE);
    EXPECT_TRUE(QFile::exists(nested));
    rig.frame.close();
}

TEST_F(FileCommandsEmu, FactorySettingsAreWrittenOnlyAfterYes)
{
    emu().withState([](SEmuState& s) {
        s.m_settings[2] = 2;
        s.m_table.fill(130);
    });
    CPortScope ports({emu().path()});
    SFileRig rig;
    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    const SEmuStored before = stored();
    emu().resetCounters();

    rig.frame.runCommand(ID_FILE_FACTORY);
    EXPECT_EQ(rig.questions,
              std::vector<std::string>{"Czy chcesz przywrócić ustawienia fabryczne?"});
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(stored(), before);

    rig.answerYes = true;
    const int refreshes = rig.refreshes();
    rig.frame.runCommand(ID_FILE_FACTORY);
    EXPECT_TRUE(rig.errors.empty()) << rig.errors.front();
    EXPECT_EQ(rig.questions.size(), 2u);
    const SEmuStored now = stored();
    EXPECT_EQ(now.settings, SEmuState::defaultSettings());
    EXPECT_EQ(now.table, SEmuState::defaultTable());
    EXPECT_EQ(now.mount, before.mount); // the installation data are the car's, not settings
    EXPECT_EQ(emu().counters().m_commands[CMD_CLEAR_ERRORS], 1u);
    EXPECT_EQ(rig.refreshes(), refreshes + 1);
    rig.frame.close();
}

TEST(FileCommands, TheDialogsOpenInTheSettingsFolderAndProposeTodaysName)
{
    CLanguageScope english(LANG_EN);
    QTemporaryDir data;
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    setenv("XDG_DATA_HOME", data.path().toLocal8Bit().constData(), 1);
    COpenFile::setNativeDialogs(false);
    SFileRig rig;
    rig.frame.startFirstConnection(true); // demonstration mode: writes succeed at once

    const QString folder = CMainFrame::settingsDirectory();
    ASSERT_TRUE(folder.startsWith(data.path())) << folder.toStdString();
    const QString proposed =
        QDir(folder).filePath(QDate::currentDate().toString("dd-MM-yyyy") + ".ssf");
    QString title, shownDir, chosen;
    QStringList filters;
    auto answer = [&](const QString& select) {
        QTimer::singleShot(0, [&, select] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            title = d->windowTitle();
            shownDir = d->directory().absolutePath();
            filters = d->nameFilters();
            chosen = d->selectedFiles().value(0);
            if (!select.isEmpty())
                d->selectFile(select);
            QMetaObject::invokeMethod(d, "accept");
        });
    };

    answer(QString());
    rig.frame.runCommand(ID_FILE_SAVE);
    EXPECT_EQ(title, "Save as");
    EXPECT_EQ(shownDir, QDir(folder).absolutePath());
    EXPECT_EQ(chosen, proposed);
    EXPECT_EQ(filters, QStringList{"Settings files (*.ssf)"});
    EXPECT_TRUE(QFile::exists(proposed));

    answer(proposed);
    rig.frame.runCommand(ID_FILE_LOAD);
    EXPECT_EQ(title, "Open");
    EXPECT_EQ(shownDir, QDir(folder).absolutePath());
    EXPECT_EQ(filters, QStringList{"Settings files (*.ssf)"});
    EXPECT_TRUE(rig.errors.empty()) << rig.errors.front();
    EXPECT_EQ(rig.shell.windows.front(), "Loading the settings from the file");

    rig.frame.close();
    COpenFile::setNativeDialogs(true);
    if (saved)
        setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

TEST_F(FileCommandsEmu, ReportReadsTheControllerAndLeavesTheBlockAsItWas)
{
    CPortScope ports({emu().path()});
    SFileRig rig;
    QString proposed;
    QString target = dir.filePath("report.pdf");
    rig.frame.chooseReportFile = [&](const QString& name) {
        proposed = name;
        return target;
    };
    // Without a controller it says so before any file is asked for.
    rig.frame.runCommand(ID_FILE_REPORT);
    EXPECT_EQ(rig.errors, std::vector<std::string>{"Raport wymaga połączenia ze sterownikiem "
                                                   "(albo trybu demonstracyjnego)."});
    EXPECT_TRUE(proposed.isEmpty());
    rig.errors.clear();

    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    // A value a failed write left in the block: the report reads the car's
    // own, and the block keeps what it held.
    rig.doc.m_switchRPM = 4321;
    emu().resetCounters();
    rig.frame.runCommand(ID_FILE_REPORT);
    EXPECT_TRUE(rig.errors.empty()) << rig.errors.front();
    EXPECT_TRUE(proposed.contains("si001")) << proposed.toStdString();
    EXPECT_TRUE(proposed.endsWith(".pdf"));
    EXPECT_EQ(readAll(target).rfind("%PDF-", 0), 0u);
    EXPECT_EQ(rig.doc.m_switchRPM, 4321);
    EXPECT_EQ(writes(), 0u);

    target = dir.filePath("no-such-folder/report.pdf");
    rig.frame.runCommand(ID_FILE_REPORT);
    ASSERT_EQ(rig.errors.size(), 1u);
    EXPECT_EQ(rig.errors[0].rfind("Nie można zapisać raportu w " + target.toStdString() + ": ", 0),
              0u)
        << rig.errors[0];
    rig.frame.close();
}
