#include "app/CNoConnectionDlg.h"

#include <utility>

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "lang/Translation.h"

namespace {

constexpr int RES_NO_CONNECTION = 176;

QString tr8(const char* polish)
{
    return QString::fromStdString(translate(polish));
}

} // namespace

CNoConnectionDlg::CNoConnectionDlg(SPortSurvey survey, QWidget* parent)
    : CColorMgrDlg(RES_NO_CONNECTION, parent), m_survey(std::move(survey))
{
    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    auto* message = new QLabel(this);
    message->setObjectName("1290");
    message->setWordWrap(true);

    m_toggle = new QToolButton(this);
    m_toggle->setCheckable(true);
    m_toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toggle->setArrowType(Qt::RightArrow);
    m_toggle->setAutoRaise(true);

    m_detailsArea = new QWidget(this);
    m_detailsLabel = new QLabel(m_detailsArea);
    m_details = new QPlainTextEdit(m_detailsArea);
    m_details->setReadOnly(true);
    m_details->setMinimumSize(560, 280);
    m_detailsLabel->setBuddy(m_details);
    auto* detailsLayout = new QVBoxLayout(m_detailsArea);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    detailsLayout->addWidget(m_detailsLabel);
    detailsLayout->addWidget(m_details);
    m_detailsArea->hide();

    auto* demo = new QPushButton(this);
    demo->setObjectName("1");
    demo->setDefault(true);
    auto* unlinked = new QPushButton(this);
    unlinked->setObjectName("2");
    connect(demo, &QPushButton::clicked, this, &QDialog::accept);
    connect(unlinked, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_toggle, &QToolButton::toggled, this, &CNoConnectionDlg::showDetails);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(message, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_toggle);
    buttons->addStretch(1);
    buttons->addWidget(demo);
    buttons->addWidget(unlinked);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_detailsArea, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    init();
    retranslate();
}

bool CNoConnectionDlg::detailsShown() const
{
    return m_toggle->isChecked();
}

void CNoConnectionDlg::showDetails(bool on)
{
    m_toggle->setChecked(on);
    m_toggle->setArrowType(on ? Qt::DownArrow : Qt::RightArrow);
    m_detailsArea->setVisible(on);
}

QString CNoConnectionDlg::detailsText() const
{
    QStringList paragraphs;
    for (const SPortDiagnosis& port : m_survey.ports) {
        QString p = QString("%1. %2: %3")
                        .arg(port.number)
                        .arg(QString::fromStdString(port.path),
                             QString::fromStdString(portProblemText(port)));
        if (port.taker != EPortTaker::None)
            p += "\n→ " + QString::fromStdString(portTakerText(port.taker));
        paragraphs << p;
    }
    if (m_survey.ports.empty())
        paragraphs << tr8(
            "Nie znaleziono żadnego portu szeregowego; podłącz adapter USB-RS232 sterownika.");
    for (const std::string& note : surveyNotes(m_survey))
        paragraphs << QString::fromStdString(note);
    return paragraphs.join("\n\n");
}

void CNoConnectionDlg::retranslate()
{
    apply(this);
    m_toggle->setText(tr8("Szczegóły"));
    m_detailsLabel->setText(tr8("Sprawdzone porty:"));
    m_details->setPlainText(detailsText());
}
