#include "app/CWaitDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

constexpr int RES_WAIT = 182;

} // namespace

CWaitDlg::CWaitDlg(const QString& text, QWidget* parent) : CColorMgrDlg(RES_WAIT, parent)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle("Nimo");
    auto* label = new QLabel(text, this);
    label->setObjectName("1194");
    label->setAlignment(Qt::AlignCenter);
    // A busy bar runs on its own timer while the operation pumps events;
    // the operation cannot say how far it has got.
    auto* busy = new QProgressBar(this);
    busy->setObjectName("1023");
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    busy->setAccessibleName(text);
    busy->setMinimumWidth(280);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(busy);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    showPainted();
}
