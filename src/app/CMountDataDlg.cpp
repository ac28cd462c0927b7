#include "app/CMountDataDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>
#include <QVBoxLayout>

#include "data/MountDataRecord.h"

namespace {

constexpr int RES_MOUNT_DATA = 144;

static_assert(CMountDataDlg::SERVICE_CHARS < static_cast<int>(MOUNT_SERVICE_MAX));
static_assert(CMountDataDlg::INJ_SIZE_CHARS < static_cast<int>(MOUNT_INJ_SIZE_MAX));
static_assert(CMountDataDlg::CAPACITY_CHARS < static_cast<int>(MOUNT_ENGINE_MAX));

// The controller stores bytes, and a Polish letter takes two of them in
// UTF-8: a name of 22 characters could lose its tail on the way to the
// controller, so a text may not grow beyond as many bytes as characters.
class CByteLimit : public QValidator {
public:
    CByteLimit(int bytes, QObject* parent) : QValidator(parent), m_bytes(bytes) {}
    State validate(QString& input, int&) const override
    {
        return input.toUtf8().size() <= m_bytes ? Acceptable : Invalid;
    }

private:
    int m_bytes;
};

// A text the caller put in that the controller could not hold whole.
QString fitted(QString text, int limit)
{
    text.truncate(limit);
    while (text.toUtf8().size() > limit)
        text.chop(1);
    return text;
}

QLineEdit* addRow(QGridLayout* grid, QWidget* parent, const char* labelId, const char* editId,
                  int limit)
{
    auto* label = new QLabel(parent);
    label->setObjectName(labelId);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(editId);
    if (limit > 0) {
        edit->setMaxLength(limit);
        edit->setValidator(new CByteLimit(limit, edit));
    }
    label->setBuddy(edit);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1, Qt::AlignLeft);
    return edit;
}

} // namespace

CMountDataDlg::CMountDataDlg(const SDevInfo& info, bool nameEditable, QWidget* parent)
    : CColorMgrDlg(RES_MOUNT_DATA, parent), m_taken(info)
{
    auto* grid = new QGridLayout;
    m_date = addRow(grid, this, "1040", "1039", 0);
    m_name = addRow(grid, this, "1042", "1041", SERVICE_CHARS);
    m_injSize = addRow(grid, this, "1044", "1043", INJ_SIZE_CHARS);
    m_capacity = addRow(grid, this, "1046", "1169", CAPACITY_CHARS);
    m_date->setReadOnly(true);
    // OK needs a name: an empty one that could not be typed in would leave
    // the fitter no way out but Cancel.
    m_name->setReadOnly(!nameEditable && !info.m_mountService.empty());

    const int charWidth = fontMetrics().horizontalAdvance('W');
    m_date->setFixedWidth(charWidth * 8);
    m_name->setFixedWidth(charWidth * (SERVICE_CHARS + 1));
    for (QLineEdit* number : {m_injSize, m_capacity}) {
        number->setAlignment(Qt::AlignRight);
        number->setFixedWidth(charWidth * (INJ_SIZE_CHARS + 2));
    }

    m_date->setText(QString::fromStdString(info.m_mountDate));
    m_name->setText(fitted(QString::fromStdString(info.m_mountService), SERVICE_CHARS));
    m_injSize->setText(fitted(QString::fromStdString(info.m_injSize), INJ_SIZE_CHARS));
    m_capacity->setText(fitted(QString::fromStdString(info.m_engine), CAPACITY_CHARS));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(okButtonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    init();
    retranslate();
}

void CMountDataDlg::takeInto(SDevInfo& info) const
{
    info.m_mountDate = m_taken.m_mountDate;
    info.m_mountService = m_taken.m_mountService;
    info.m_injSize = m_taken.m_injSize;
    info.m_engine = m_taken.m_engine;
}

void CMountDataDlg::accept()
{
    // A field of blanks is as empty to the controller as no text at all.
    for (QLineEdit* required : {m_name, m_injSize, m_capacity}) {
        if (required->text().trimmed().isEmpty()) {
            required->setFocus();
            return;
        }
    }
    m_taken.m_mountDate = m_date->text().toStdString();
    m_taken.m_mountService = m_name->text().toStdString();
    m_taken.m_injSize = m_injSize->text().toStdString();
    m_taken.m_engine = m_capacity->text().toStdString();
    QDialog::accept();
}
