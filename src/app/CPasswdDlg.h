// Asked before a hidden feature is used. OK with the access password unlocks
// the document's hidden features for the rest of the run and closes with
// Accepted; any other text leaves the dialog open as it is. Closing it is
// the only way out without the password.
// Thread safety: the user-interface thread only.
#pragma once

#include <QString>

#include "app/CColorMgrDlg.h"
#include "app/CMultiLangDlgWnd.h"

class CAutrelDoc;
class QLineEdit;

class CPasswdDlgTexts : public CMultiLangDlgWnd {
public:
    void init() override { addTable("CPasswdDlgTexts"); }
};

class CPasswdDlg : public CColorMgrDlg, public CPasswdDlgTexts {
    Q_OBJECT
public:
    explicit CPasswdDlg(CAutrelDoc& doc, QWidget* parent = nullptr);

    // True when the features are unlocked already or the fitter unlocks them now.
    static bool unlock(CAutrelDoc& doc, QWidget* parent = nullptr);

    // What OK last took from the edit; empty before.
    const QString& password() const { return m_password; }

    void accept() override;

protected:
    void retranslate() override { apply(this); }

private:
    CAutrelDoc& m_doc;
    QLineEdit* m_edit = nullptr;
    QString m_password;
};
