#include "app/CMultiLangWnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QWidget>

namespace {

void setControlText(QWidget* control, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setPlaceholderText(text);
    else {
        // Our own drawn controls declare a text property rather than derive
        // from a Qt class that has one.
        const QMetaObject* meta = control->metaObject();
        const int at = meta->indexOfProperty("text");
        if (at >= 0 && meta->property(at).isWritable())
            control->setProperty("text", text);
    }
}

} // namespace

void CMultiLangWnd::apply(QWidget* window)
{
    for (const auto& [key, texts] : table()) {
        QWidget* control = window->findChild<QWidget*>(QString::number(key));
        if (control != nullptr)
            setControlText(control, QString::fromStdString(text(key)));
    }
    window->update();
}

void announceLanguageChange()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(window, &change);
    }
}
