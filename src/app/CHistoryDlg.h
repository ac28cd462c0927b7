// A controller's settings history: its backups, newest first, each with the
// operation that replaced the settings and the items in which it differs from
// what the controller holds now; one can be compared in full or, after a
// question, restored (which keeps the settings it replaces as a backup too).
//
//   auto* dlg = new CHistoryDlg(doc, shell, frame);
//   dlg->onRestored = [frame] { ... refresh the views ... };
//   dlg->open();
//
// Thread safety: the user-interface thread only.
#pragma once

#include <functional>
#include <vector>

#include <QString>

#include "app/CColorMgrDlg.h"
#include "app/CMultiLangDlgWnd.h"
#include "data/SettingsHistory.h"

class CAutrelDoc;
class CCompareDlg;
class CQtShell;
class QLabel;
class QPushButton;
class QTreeWidget;

class CHistoryDlgTexts : public CMultiLangDlgWnd {
public:
    void init() override { addTable("CHistoryDlgTexts"); }
};

class CHistoryDlg : public CColorMgrDlg, public CHistoryDlgTexts {
    Q_OBJECT
public:
    CHistoryDlg(CAutrelDoc& doc, CQtShell& shell, QWidget* parent = nullptr);

    // Reads the folder afresh and compares every backup with the controller.
    void reload();
    // The backup of a row, in list order; -1 selects none.
    void select(int row);
    // Opens the comparison of the selected backup with the controller (not
    // modal to the program: the caller may keep working); null for none.
    CCompareDlg* compareSelected();
    // Asks, then writes the selected backup into the controller; true once
    // it was written.
    bool restoreSelected();

    // After a restore, so that the views show what the controller holds.
    std::function<void()> onRestored;
    // Handed to the comparison for its second file.
    std::function<QString()> chooseFile;

    QTreeWidget* list() const { return m_list; }
    const std::vector<SHistoryEntry>& entries() const { return m_entries; }

protected:
    void retranslate() override;

private:
    const SHistoryEntry* selected() const;
    void fill();
    void updateButtons();

    CAutrelDoc& m_doc;
    CQtShell& m_shell;
    std::vector<SHistoryEntry> m_entries;
    QLabel* m_where = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_compare = nullptr;
    QPushButton* m_restore = nullptr;
};
