#include "app/CColorMgrDlg.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLayout>
#include <QPushButton>
#include <QScreen>

CColorMgrDlg::CColorMgrDlg(int resourceId, QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(resourceId));
    applyControlColors(this);
}

void CColorMgrDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void CColorMgrDlg::resizeWithin(QSize wanted)
{
    QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where != nullptr) {
        const QSize room = where->availableGeometry().size() * 9 / 10;
        wanted = wanted.boundedTo(room);
    }
    resize(wanted);
}

QLayout* CColorMgrDlg::okButtonRow()
{
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    return row;
}

void CColorMgrDlg::showPainted()
{
    // A fixed-size layout settles its size only when activated.
    if (layout() != nullptr)
        layout()->activate();
    adjustSize();
    show();
    // Only a shown window knows its frame, which move() places.
    QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
