#include "app/CMainView.h"

#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppTexts.h"

CMainView::CMainView(CAutrelDoc& doc, QWidget* parent) : CMainMenuView(doc, parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    auto* mark = new QLabel(this);
    mark->setPixmap(QIcon(":/icons/nimo.svg").pixmap(96, 96));
    mark->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QString::fromUtf8(kAppTitle), this);
    name->setAlignment(Qt::AlignCenter);
    name->setStyleSheet("font-size: 24px; font-weight: bold; color: #0d3c75;");
    layout->addWidget(mark);
    layout->addWidget(name);
    layout->addStretch();
    setAccessibleName(name->text());
}
