#include "app/CHistoryDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/CAutrelDoc.h"
#include "app/CCompareDlg.h"
#include "app/CQtShell.h"
#include "app/CWaitCursor.h"
#include "app/SettingsReplacement.h"
#include "data/CUserConfig.h"
#include "lang/Translation.h"
#include "link/SettingsTransfer.h"

namespace {

constexpr int RES_HISTORY = 160;
constexpr const char* kList = "1301";
constexpr const char* kCompare = "1302";
constexpr const char* kRestore = "1303";
constexpr const char* kWhere = "1304";
constexpr const char* kClose = "2";
// Labels named in the list itself; the rest wait in the tooltip.
constexpr std::size_t kLabelsShown = 3;

QString tr8(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string summary(const SHistoryEntry& e)
{
    if (!e.readable)
        return e.error;
    if (e.differences.empty())
        return translate("bez różnic");
    std::string text = std::to_string(e.differences.size()) + ": ";
    for (std::size_t i = 0; i < e.differences.size() && i < kLabelsShown; ++i)
        text += (i == 0 ? "" : ", ") + e.differences[i].label;
    if (e.differences.size() > kLabelsShown)
        text += ", ...";
    return text;
}

std::string details(const SHistoryEntry& e)
{
    std::string text;
    for (const SSettingsDifference& d : e.differences)
        text += (text.empty() ? "" : "\n") + d.label + ": " + withUnit(d.a, d.unit) + " -> " +
                withUnit(d.b, d.unit);
    return text;
}

} // namespace

CHistoryDlg::CHistoryDlg(CAutrelDoc& doc, CQtShell& shell, QWidget* parent)
    : CColorMgrDlg(RES_HISTORY, parent), m_doc(doc), m_shell(shell)
{
    m_where = new QLabel(this);
    m_where->setObjectName(kWhere);
    m_where->setWordWrap(true);
    m_where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(kList);
    m_list->setColumnCount(3);
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(true);
    m_where->setBuddy(m_list);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CHistoryDlg::updateButtons);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { compareSelected(); });

    m_compare = new QPushButton(this);
    m_compare->setObjectName(kCompare);
    connect(m_compare, &QPushButton::clicked, this, [this] { compareSelected(); });
    m_restore = new QPushButton(this);
    m_restore->setObjectName(kRestore);
    connect(m_restore, &QPushButton::clicked, this, [this] { restoreSelected(); });
    auto* close = new QPushButton(this);
    close->setObjectName(kClose);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_compare);
    buttons->addWidget(m_restore);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_where);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    const int charWidth = fontMetrics().horizontalAdvance('n');
    resizeWithin(QSize(charWidth * 110, fontMetrics().height() * 24));

    init();
    apply(this);
    reload();
    // The newest backup is the one most often wanted back.
    select(m_entries.empty() ? -1 : 0);
}

void CHistoryDlg::reload()
{
    const std::string directory = CUserConfig::historyDirectory(m_doc.m_devInfo.m_serial);
    m_entries = directory.empty() ? std::vector<SHistoryEntry>() : readHistory(directory, m_doc);
    fill();
}

void CHistoryDlg::retranslate()
{
    apply(this);
    // Labels, operations and messages were made in the old language.
    const int row = m_list->currentIndex().row();
    reload();
    select(row);
}

void CHistoryDlg::fill()
{
    m_list->setHeaderLabels(
        {tr8(translate("Data i czas")), tr8(translate("Operacja")), tr8(translate("Różnice"))});
    m_list->clear();
    for (const SHistoryEntry& e : m_entries) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, tr8(e.file.time));
        item->setText(1, tr8(operationText(e.file.operation)));
        item->setText(2, tr8(summary(e)));
        item->setToolTip(2, tr8(e.readable ? details(e) : e.error));
        item->setToolTip(0, tr8(e.file.path));
    }
    for (int column = 0; column < 2; ++column)
        m_list->resizeColumnToContents(column);
    const std::string directory = CUserConfig::historyDirectory(m_doc.m_devInfo.m_serial);
    if (m_entries.empty())
        m_where->setText(tr8(translate("brak kopii ustawień w ") + directory));
    else
        m_where->setText(
            tr8(translateFill("Sterownik %1, kopie w %2", {m_doc.m_devInfo.m_serial, directory})));
    updateButtons();
}

void CHistoryDlg::select(int row)
{
    if (row < 0 || row >= m_list->topLevelItemCount()) {
        m_list->clearSelection();
        m_list->setCurrentItem(nullptr);
    } else {
        m_list->setCurrentItem(m_list->topLevelItem(row));
    }
    updateButtons();
}

const SHistoryEntry* CHistoryDlg::selected() const
{
    QTreeWidgetItem* item = m_list->currentItem();
    if (item == nullptr || !item->isSelected())
        return nullptr;
    const int row = m_list->indexOfTopLevelItem(item);
    if (row < 0 || row >= static_cast<int>(m_entries.size()))
        return nullptr;
    return &m_entries[static_cast<std::size_t>(row)];
}

void CHistoryDlg::updateButtons()
{
    const SHistoryEntry* e = selected();
    const bool readable = e != nullptr && e->readable;
    m_compare->setEnabled(readable);
    m_restore->setEnabled(readable && m_doc.isConnected());
}

CCompareDlg* CHistoryDlg::compareSelected()
{
    const SHistoryEntry* e = selected();
    if (e == nullptr || !e->readable)
        return nullptr;
    auto* dlg = new CCompareDlg(m_doc, m_shell, translateFill("Kopia z %1", {e->file.time}),
                                e->settings, this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->chooseFile = chooseFile;
    dlg->compareWithController();
    dlg->open();
    return dlg;
}

bool CHistoryDlg::restoreSelected()
{
    const SHistoryEntry* e = selected();
    if (e == nullptr || !e->readable || !m_doc.isConnected())
        return false;
    if (!m_shell.ask(
            translateFill("Czy chcesz przywrócić ustawienia z kopii z %1?", {e->file.time})))
        return false;
    const std::string path = e->file.path;
    std::string failure;
    {
        CWaitCursor wait;
        // A link lost midway throws; out of a button's click it would end
        // the program.
        failure = runSettingsReplacement([this, &path](std::string* backup) {
            return loadSettingsIntoDevice(m_doc, path, EReplaceOperation::Restore, backup);
        });
    }
    if (!failure.empty())
        m_shell.errorBox(failure);
    // A failed write may still have replaced part of the controller, and a
    // backup was made first either way: the list tells what is there now.
    reload();
    if (onRestored)
        onRestored();
    return failure.empty();
}
