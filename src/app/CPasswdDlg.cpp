#include "app/CPasswdDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/CAutrelDoc.h"

namespace {

constexpr int RES_PASSWORD = 168;
// Compared exactly: "Sitko" is as wrong as any other word.
const QString ACCESS_PASSWORD = QStringLiteral("sitko");

} // namespace

CPasswdDlg::CPasswdDlg(CAutrelDoc& doc, QWidget* parent)
    : CColorMgrDlg(RES_PASSWORD, parent), m_doc(doc)
{
    auto* prompt = new QLabel(this);
    prompt->setObjectName("1237");
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("1156");
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setMinimumWidth(fontMetrics().averageCharWidth() * 24);
    prompt->setBuddy(m_edit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_edit);
    layout->addLayout(okButtonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    init();
    retranslate();
}

bool CPasswdDlg::unlock(CAutrelDoc& doc, QWidget* parent)
{
    if (doc.hiddenFeatures())
        return true;
    CPasswdDlg dlg(doc, parent);
    return dlg.exec() == QDialog::Accepted;
}

void CPasswdDlg::accept()
{
    m_password = m_edit->text();
    if (m_password != ACCESS_PASSWORD)
        return;
    m_doc.unlockHiddenFeatures();
    QDialog::accept();
}
