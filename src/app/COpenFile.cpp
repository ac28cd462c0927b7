#include "app/COpenFile.h"

#include <utility>

#include <QFileDialog>

#include "lang/Translation.h"

namespace {

bool g_nativeDialogs = true;

} // namespace

COpenFile::COpenFile(QString initialDir, QString filter, QString defaultExt, bool save)
    : m_initialDir(std::move(initialDir)), m_filter(std::move(filter)),
      m_defaultExt(std::move(defaultExt)), m_save(save)
{
    if (m_defaultExt.startsWith('.'))
        m_defaultExt.remove(0, 1);
}

QString COpenFile::exec(QWidget* parent) const
{
    const char* title = m_save ? "Zapisz jako" : "Otwórz";
    QFileDialog dlg(parent, QString::fromStdString(translate(title)), m_initialDir, m_filter);
    dlg.setAcceptMode(m_save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(m_save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(m_defaultExt);
    // Replacing a settings file loses the car it came from; Qt asks first.
    dlg.setOption(QFileDialog::DontUseNativeDialog, !g_nativeDialogs);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

void COpenFile::setNativeDialogs(bool on)
{
    g_nativeDialogs = on;
}
