// Settings against settings: the items that differ, each with the settings
// view's label and both values with their units. Side A is given; side B is
// the connected controller or a second settings file the fitter picks.
//
//   auto* dlg = new CCompareDlg(doc, shell, "car.ssf", fromFile, frame);
//   dlg->compareWithController();
//   dlg->open();
//
// Thread safety: the user-interface thread only.
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "app/CColorMgrDlg.h"
#include "app/CMultiLangDlgWnd.h"
#include "data/CSettings.h"

class CAutrelDoc;
class CQtShell;
class QLabel;
class QPushButton;
class QTableWidget;

class CCompareDlgTexts : public CMultiLangDlgWnd {
public:
    void init() override { addTable("CCompareDlgTexts"); }
};

class CCompareDlg : public CColorMgrDlg, public CCompareDlgTexts {
    Q_OBJECT
public:
    CCompareDlg(CAutrelDoc& doc, CQtShell& shell, std::string nameA, const CSettings& a,
                QWidget* parent = nullptr);

    // B: what the controller object holds now.
    void compareWithController();
    void compareWith(std::string nameB, const CSettings& b);
    // Asks chooseFile for B and compares with it; false when the fitter
    // cancels or the file is refused (said in a message box).
    bool compareWithFile();

    // Picks a settings file; empty for none. The frame gives its own.
    std::function<QString()> chooseFile;

    QTableWidget* table() const { return m_grid; }
    int differenceCount() const { return m_count; }

protected:
    void retranslate() override;

private:
    void fill();

    CAutrelDoc& m_doc;
    CQtShell& m_shell;
    std::string m_nameA;
    CSettings m_a;
    std::string m_nameB;
    CSettings m_b;
    bool m_controllerB = false;
    bool m_haveB = false;
    int m_count = 0;
    QTableWidget* m_grid = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_withController = nullptr;
};
