#include "app/CPlaceholderView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "lang/Translation.h"

CPlaceholderView::CPlaceholderView(CAutrelDoc& doc, std::string polishTitle, QWidget* parent)
    : CMainMenuView(doc, parent), m_title(std::move(polishTitle)), m_label(new QLabel(this))
{
    auto* layout = new QVBoxLayout(this);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setStyleSheet("color: #666; font-size: 20px;");
    layout->addWidget(m_label);
    refreshControls();
}

void CPlaceholderView::refreshControls()
{
    m_label->setText(QString::fromStdString(translate(m_title)));
}
