#include "app/CCompareDlg.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/CAutrelDoc.h"
#include "app/CQtShell.h"
#include "data/SettingsCompare.h"
#include "data/SettingsFileIO.h"
#include "lang/Translation.h"

namespace {

constexpr int RES_COMPARE = 161;
constexpr const char* kTable = "1311";
constexpr const char* kSummary = "1312";
constexpr const char* kWithFile = "1313";
constexpr const char* kWithController = "1314";
constexpr const char* kClose = "2";

QString tr8(const std::string& text)
{
    return QString::fromStdString(text);
}

QTableWidgetItem* cell(const std::string& text)
{
    auto* item = new QTableWidgetItem(tr8(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

CCompareDlg::CCompareDlg(CAutrelDoc& doc, CQtShell& shell, std::string nameA, const CSettings& a,
                         QWidget* parent)
    : CColorMgrDlg(RES_COMPARE, parent), m_doc(doc), m_shell(shell), m_nameA(std::move(nameA)),
      m_a(a)
{
    m_summary = new QLabel(this);
    m_summary->setObjectName(kSummary);
    m_summary->setWordWrap(true);
    m_grid = new QTableWidget(0, 3, this);
    m_grid->setObjectName(kTable);
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_grid->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_summary->setBuddy(m_grid);

    auto* withFile = new QPushButton(this);
    withFile->setObjectName(kWithFile);
    connect(withFile, &QPushButton::clicked, this, [this] { compareWithFile(); });
    m_withController = new QPushButton(this);
    m_withController->setObjectName(kWithController);
    connect(m_withController, &QPushButton::clicked, this, [this] { compareWithController(); });
    auto* close = new QPushButton(this);
    close->setObjectName(kClose);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(withFile);
    buttons->addWidget(m_withController);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);

    const int charWidth = fontMetrics().horizontalAdvance('n');
    resizeWithin(QSize(charWidth * 100, fontMetrics().height() * 28));

    init();
    retranslate();
}

void CCompareDlg::compareWithController()
{
    m_controllerB = true;
    m_haveB = true;
    m_nameB.clear();
    m_b = m_doc.settings();
    fill();
}

void CCompareDlg::compareWith(std::string nameB, const CSettings& b)
{
    m_controllerB = false;
    m_haveB = true;
    m_nameB = std::move(nameB);
    m_b = b;
    fill();
}

bool CCompareDlg::compareWithFile()
{
    const QString path = chooseFile ? chooseFile() : QString();
    if (path.isEmpty())
        return false;
    CSettings b;
    std::string error;
    if (!loadSettingsFile(path.toStdString(), b, &error)) {
        m_shell.errorBox(error);
        return false;
    }
    compareWith(QFileInfo(path).fileName().toStdString(), b);
    return true;
}

void CCompareDlg::retranslate()
{
    apply(this);
    fill();
}

void CCompareDlg::fill()
{
    const std::string nameB = m_controllerB ? translate("Sterownik") : m_nameB;
    m_grid->setHorizontalHeaderLabels({tr8(translate("Ustawienie")), tr8(m_nameA), tr8(nameB)});
    m_grid->setAccessibleName(tr8(translate("Różnice")));
    m_withController->setEnabled(m_doc.isConnected());
    m_grid->setRowCount(0);
    if (!m_haveB) {
        m_count = 0;
        m_summary->clear();
        return;
    }
    const std::vector<SSettingsDifference> differences = compareSettings(m_a, m_b);
    m_count = static_cast<int>(differences.size());
    m_grid->setRowCount(m_count);
    for (int row = 0; row < m_count; ++row) {
        const SSettingsDifference& d = differences[static_cast<std::size_t>(row)];
        QTableWidgetItem* label = cell(d.label);
        label->setToolTip(tr8(d.key));
        m_grid->setItem(row, 0, label);
        m_grid->setItem(row, 1, cell(withUnit(d.a, d.unit)));
        m_grid->setItem(row, 2, cell(withUnit(d.b, d.unit)));
    }
    const std::string sides = m_nameA + " / " + nameB;
    m_summary->setText(
        tr8((m_count == 0 ? translate("Ustawienia są takie same.")
                          : translateFill("Różnice: %1", {std::to_string(m_count)})) +
            "  (" + sides + ")"));
}
