// The installation data to view or change: date (shown only), workshop name
// (editable only when the caller allows it or there is none yet), injector
// size and engine capacity. OK is refused while the name, the injector size or the capacity
// is empty; the date may stay empty.
//
//   CMountDataDlg dlg(doc.m_devInfo, doc.hiddenFeatures(), view);
//   if (dlg.exec() == QDialog::Accepted) dlg.takeInto(doc.m_devInfo);
//
// Thread safety: the user-interface thread only.
#pragma once

#include <string>

#include "app/CColorMgrDlg.h"
#include "app/CMultiLangDlgWnd.h"
#include "data/CSettings.h"

class QLineEdit;

class CMountDataDlgTexts : public CMultiLangDlgWnd {
public:
    void init() override { addTable("CMountDataDlgTexts"); }
};

class CMountDataDlg : public CColorMgrDlg, public CMountDataDlgTexts {
    Q_OBJECT
public:
    // Longest texts, in characters and in the bytes the controller's record holds.
    static constexpr int SERVICE_CHARS = 22;
    static constexpr int INJ_SIZE_CHARS = 4;
    static constexpr int CAPACITY_CHARS = 4;

    CMountDataDlg(const SDevInfo& info, bool nameEditable, QWidget* parent = nullptr);

    // The date, name, injector size and capacity that OK took; the rest of
    // info stays as it is.
    void takeInto(SDevInfo& info) const;

    void accept() override;

protected:
    void retranslate() override { apply(this); }

private:
    QLineEdit* m_date = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_injSize = nullptr;
    QLineEdit* m_capacity = nullptr;
    SDevInfo m_taken;
};
