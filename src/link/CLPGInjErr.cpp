#include "link/CLPGInjErr.h"

#include "lang/Translation.h"

CLPGInjErr::CLPGInjErr()
{
    m_texts = {
        translate("Błąd wtryskiwacza LPG 1 - Przekroczenie prądu"),
        translate("Błąd wtryskiwacza LPG 2 - Przekroczenie prądu"),
        translate("Błąd wtryskiwacza LPG 3 - Przekroczenie prądu"),
        translate("Błąd wtryskiwacza LPG 4 - Przekroczenie prądu"),
        translate("Błąd wtryskiwacza LPG 5 - Przekroczenie prądu"),
        translate("Błąd wtryskiwacza LPG 6 - Przekroczenie prądu"),
        translate("Błąd wtryskiwacza LPG 7 - Przekroczenie prądu"),
        translate("Błąd wtryskiwacza LPG 8 - Przekroczenie prądu"),
    };
}

std::string CLPGInjErr::title() const
{
    return translate("Wtryskiwacze");
}
