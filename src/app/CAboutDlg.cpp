#include "app/CAboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/CSplashDlg.h"

namespace {

constexpr int RES_ABOUT = 100;

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : CColorMgrDlg(RES_ABOUT, parent)
{
    setWindowTitle("About Nimo");
    auto* icon = new QLabel(this);
    icon->setPixmap(CSplashDlg::picture(180));
    icon->setAccessibleName("NIMO");
    auto* text = new QLabel("NIMO - LPG/CNG Injection System software version 1.3", this);
    text->setWordWrap(true);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(okButtonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
