#include "link/CSensorErr.h"

#include "lang/Translation.h"

CSensorErr::CSensorErr()
{
    m_texts = {
        translate("Brak sygnału RPM"),
        translate("Błąd czujnika ciśnienia"),
        translate("Błąd czujnika temperatury LPG"),
        translate("Błąd czujnika temperatury ogrzewacza LPG"),
        translate("Błąd - niskie napięcie zasilania sterownika."),
        translate("Błąd czujnika temperatury wewnętrznej sterownika"),
        // Both temperature texts lack their closing parenthesis; they are
        // the dictionary's keys as they stand.
        translate("Błąd - za wysoka temperatura LPG (powyżej 90 °C"),
        translate("Błąd - za niska temperatura ogrzewacza LPG (poniżej 20 °C"),
    };
}

std::string CSensorErr::title() const
{
    return translate("Czujniki");
}
