#include "controls/ReadingAccessible.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QMap>
#include <QWidget>

namespace {

class CReadingAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    CReadingAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QVariant currentValue() const override { return object()->property("reading"); }
    // A gauge shows what the controller reports; it is never set from outside.
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return object()->property("readingMaximum"); }
    QVariant minimumValue() const override { return object()->property("readingMinimum"); }
    QVariant minimumStepSize() const override { return QVariant(); }
};

QMap<QString, QAccessible::Role>& readingClasses()
{
    static QMap<QString, QAccessible::Role> classes;
    return classes;
}

QAccessibleInterface* readingFactory(const QString& key, QObject* object)
{
    const auto it = readingClasses().constFind(key);
    if (it == readingClasses().constEnd() || object == nullptr || !object->isWidgetType())
        return nullptr;
    return new CReadingAccessible(static_cast<QWidget*>(object), *it);
}

} // namespace

void installReadingAccessible(const char* className, QAccessible::Role role)
{
    if (readingClasses().isEmpty())
        QAccessible::installFactory(readingFactory);
    readingClasses().insert(QString::fromLatin1(className), role);
}

void announceReading(QObject* object)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(object, object->property("reading"));
    QAccessible::updateAccessibility(&event);
}
