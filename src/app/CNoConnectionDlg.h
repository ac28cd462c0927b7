// Asked when no port answered at the first connection. "Tryb demonstracyjny"
// (the default) ends it with Accepted: run in demonstration mode; the other
// button or closing ends it with Rejected: run unlinked and keep retrying.
// Its details list each port tried and what stands in the way there.
//
//   CNoConnectionDlg dlg(diagnoseScan(lastPort, {.testLink = false}), frame);
//   const bool demo = dlg.exec() == QDialog::Accepted;
//
// Thread safety: the user-interface thread only.
#pragma once

#include "app/CColorMgrDlg.h"
#include "app/CMultiLangDlgWnd.h"
#include "link/PortDiagnosis.h"

class QLabel;
class QPlainTextEdit;
class QToolButton;

class CNoConnectionDlgTexts : public CMultiLangDlgWnd {
public:
    void init() override { addTable("CNoConnectionDlgTexts"); }
};

class CNoConnectionDlg : public CColorMgrDlg, public CNoConnectionDlgTexts {
    Q_OBJECT
public:
    explicit CNoConnectionDlg(SPortSurvey survey = {}, QWidget* parent = nullptr);

    bool detailsShown() const;
    void showDetails(bool on);
    // One paragraph per port, then what concerns the whole machine.
    QString detailsText() const;

protected:
    void retranslate() override;

private:
    SPortSurvey m_survey;
    QToolButton* m_toggle = nullptr;
    QWidget* m_detailsArea = nullptr;
    QLabel* m_detailsLabel = nullptr;
    QPlainTextEdit* m_details = nullptr;
};
