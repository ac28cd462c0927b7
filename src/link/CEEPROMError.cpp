#include "link/CEEPROMError.h"

#include "lang/Translation.h"

CEEPROMError::CEEPROMError()
{
    m_texts = {
        translate("Błąd zapisu do pamięci EEPROM"),
        translate("Błąd odczytu z pamięci EEPROM"),
        translate("Błąd ustawienia adresu pamięci EEPROM"),
        translate("ERROR_EEPROM_FORMAT"),
        translate("Błąd zapisu struktury do pamięci EEPROM"),
        translate("Błąd odczytu struktury z pamięci EEPROM"),
        translate("Błędny typ struktury pamięci EEPROM"),
        translate("Błąd sumy kontrolnej w pamięci EEPROM"),
    };
}

std::string CEEPROMError::title() const
{
    return translate("EEPROM");
}
