#include "views/StatusFields.h"

#include "lang/Translation.h"

namespace {

QString translated(const char* polish)
{
    return QString::fromStdString(translate(polish));
}

} // namespace

SFieldLook linkFieldLook(bool connected)
{
    if (connected)
        return {QString(), Qt::black, QColor(140, 180, 140), translated("Połączono")};
    return {translated("Błąd komunikacji"), Qt::black, QColor(180, 0, 0)};
}

SFieldLook fuelFieldLook(bool petrol)
{
    if (petrol)
        return {translated("BENZYNA"), Qt::black, QColor(190, 0, 0)};
    return {translated("LPG"), Qt::white, QColor(0, 0, 190)};
}

SFieldLook errorFieldLook(bool errors)
{
    if (errors)
        return {translated("BŁĄD"), Qt::black, QColor(180, 0, 0)};
    return {QString(), Qt::black, QColor(195, 195, 195), translated("Brak błędów")};
}

SFieldLook valueFieldLook(const QString& value)
{
    return {value, Qt::black, QColor(255, 250, 250)};
}

QColor statusBarBackground()
{
    return QColor(192, 192, 192);
}
