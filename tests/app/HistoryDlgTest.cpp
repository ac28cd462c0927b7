// The settings history and the comparison in the desktop application, on the
// offscreen platform against the virtual controller: the frame's own load
// leaves a backup, the history lists it with what differs, compares it and,
// once the fitter says yes, restores it.

#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fstream>

#include "EmuGTest.h"
#include "support/EmuWrites.h"
#include "app/AppCommands.h"
#include "app/CAutrelDoc.h"
#include "app/CCompareDlg.h"
#include "app/CHistoryDlg.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "data/SettingsFileIO.h"
#include "data/SettingsRecord.h"
#include "lang/LanguageScope.h"
#include "link/CPortList.h"
#include "link/Protocol.h"
#include "support/DataHomeScope.h"
#include "support/FrameRig.h"

namespace {

QString cellText(QTableWidget* t, int row, int column)
{
    const QTableWidgetItem* item = t->item(row, column);
    return item == nullptr ? QString() : item->text();
}

} // namespace

class HistoryDlgEmu : public EmuTest {
protected:
    std::uint64_t writes() { return hostWrites(emu()); }

    CLanguageScope polish{LANG_PL};
    CDataHomeScope home;
};

TEST_F(HistoryDlgEmu, LoadLeavesABackupThatTheHistoryListsComparesAndRestores)
{
    emu().withState([](SEmuState& s) { s.m_serial = "GUI-7"; });
    CPortScope ports({emu().path()});
    SFrameRig rig;
    rig.frame.show();
    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    const SEmuState original = emu().state();

    CSettings other = rig.doc;
    other.m_switchRPM = 2500;
    other.m_setupTimes[2] = 12;
    const std::string file = home.path() + "/car.ssf";
    ASSERT_TRUE(saveSettingsFile(file, other));
    rig.frame.chooseFile = [&](bool) { return QString::fromStdString(file); };
    rig.frame.runCommand(ID_FILE_LOAD);
    ASSERT_TRUE(rig.errors.empty()) << rig.errors.front();
    EXPECT_EQ(emu().state().m_table[2], 112);

    rig.frame.runCommand(ID_FILE_HISTORY);
    auto* dlg = qobject_cast<CHistoryDlg*>(rig.frame.openDialog());
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), "Historia ustawień sterownika");
    QTreeWidget* list = dlg->list();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "Wczytanie ustawień z pliku");
    EXPECT_EQ(list->topLevelItem(0)->text(2),
              "2: Obroty przełączania, Poprawka dla czasu wtrysku 3 ms");
    auto* restore = dlg->findChild<QPushButton*>("1303");
    ASSERT_NE(restore, nullptr);
    EXPECT_EQ(restore->text(), "Przywróć");
    EXPECT_TRUE(restore->isEnabled()); // the newest is chosen to begin with
    dlg->select(-1);
    EXPECT_FALSE(restore->isEnabled());
    dlg->select(0);
    EXPECT_TRUE(restore->isEnabled());

    // The comparison: the backup against the controller now.
    CCompareDlg* compare = dlg->compareSelected();
    ASSERT_NE(compare, nullptr);
    ASSERT_EQ(compare->differenceCount(), 2);
    QTableWidget* table = compare->table();
    EXPECT_EQ(cellText(table, 0, 0), "Obroty przełączania");
    EXPECT_EQ(cellText(table, 0, 1), "1200 obr/min");
    EXPECT_EQ(cellText(table, 0, 2), "2500 obr/min");
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Sterownik");
    compare->close();

    // No: nothing is written.
    emu().resetCounters();
    restore->click();
    ASSERT_EQ(rig.questions.size(), 1u);
    EXPECT_EQ(rig.questions[0].rfind("Czy chcesz przywrócić ustawienia z kopii z ", 0), 0u);
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(list->topLevelItemCount(), 1);

    // Yes: the controller holds what it held before the load, and what the
    // restore replaced is the newest backup.
    rig.answer = true;
    restore->click();
    EXPECT_TRUE(rig.errors.empty());
    EXPECT_EQ(emu().state().m_settings, original.m_settings);
    EXPECT_EQ(emu().state().m_table, original.m_table);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "Przywrócenie kopii ustawień");
    EXPECT_EQ(list->topLevelItem(1)->text(2), "bez różnic");

    // Every text follows the language.
    rig.frame.setLanguage(LANG_EN);
    EXPECT_EQ(dlg->windowTitle(), "Controller settings history");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "Backup restored");
    EXPECT_EQ(list->headerItem()->text(0), "Date and time");
    rig.frame.close();
}

TEST_F(HistoryDlgEmu, FactorySettingsWithoutAWayBackAreNotWritten)
{
    std::filesystem::create_directories(home.path() + "/Nimo/nimo");
    std::ofstream(home.historyRoot()) << "a file where the folder should be\n";
    CPortScope ports({emu().path()});
    SFrameRig rig;
    rig.answer = true;
    rig.frame.startFirstConnection();
    ASSERT_TRUE(rig.doc.isConnected());
    emu().resetCounters();
    rig.frame.runCommand(ID_FILE_FACTORY);
    ASSERT_EQ(rig.errors.size(), 1u);
    EXPECT_EQ(rig.errors[0].rfind("Nie można zapisać kopii ustawień sterownika", 0), 0u)
        << rig.errors[0];
    EXPECT_EQ(writes(), 0u);
    rig.frame.close();
}

TEST(CompareDlg, TheMenuComparesTwoFilesWhenNoControllerIsThere)
{
    CLanguageScope english(LANG_EN);
    CDataHomeScope home;
    CPortScope ports({"/nonexistent/ttyNIMO"});
    SFrameRig rig;
    rig.frame.startFirstConnection();
    ASSERT_FALSE(rig.doc.isConnected());
    CSettings a;
    CSettings b;
    b.m_lambdaType = 3;
    b.m_devInfo.m_serial = "other"; // identity is no setting
    const std::string fileA = home.path() + "/a.ssf";
    const std::string fileB = home.path() + "/b.ssf";
    ASSERT_TRUE(saveSettingsFile(fileA, a));
    ASSERT_TRUE(saveSettingsFile(fileB, b));
    std::vector<std::string> offered = {fileA, fileB};
    rig.frame.chooseFile = [&](bool) {
        const QString next = QString::fromStdString(offered.front());
        offered.erase(offered.begin());
        return next;
    };
    rig.frame.runCommand(ID_FILE_COMPARE);
    auto* dlg = qobject_cast<CCompareDlg*>(rig.frame.openDialog());
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "Settings comparison");
    ASSERT_EQ(dlg->differenceCount(), 1);
    EXPECT_EQ(cellText(dlg->table(), 0, 0), "Lambda type");
    EXPECT_EQ(cellText(dlg->table(), 0, 1), "0 - 1 Volt");
    EXPECT_EQ(cellText(dlg->table(), 0, 2), "5 - 0 Volt");
    EXPECT_EQ(dlg->table()->horizontalHeaderItem(1)->text(), "a.ssf");
    EXPECT_FALSE(dlg->findChild<QPushButton*>("1314")->isEnabled()); // no controller
    EXPECT_TRUE(rig.errors.empty());

    // A file that is no settings file is said so, and the comparison stays.
    std::ofstream(home.path() + "/bad.ssf") << "nothing\n";
    offered = {home.path() + "/bad.ssf"};
    EXPECT_FALSE(dlg->compareWithFile());
    ASSERT_EQ(rig.errors.size(), 1u);
    EXPECT_EQ(dlg->differenceCount(), 1);
}
