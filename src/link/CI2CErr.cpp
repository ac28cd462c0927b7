#include "link/CI2CErr.h"

#include "lang/Translation.h"

CI2CErr::CI2CErr()
{
    m_texts = {
        translate("ERR_I2C_NO_ACK"),
        translate("ERR_I2C_TIMEOUT"),
    };
}

std::string CI2CErr::title() const
{
    return translate("I2C");
}
