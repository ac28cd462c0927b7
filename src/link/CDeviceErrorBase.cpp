#include "link/CDeviceErrorBase.h"

#include "lang/Translation.h"

std::string CDeviceErrorBase::title() const
{
    return translate("Nieznany kod błędu");
}

std::string CDeviceErrorBase::text(unsigned bit) const
{
    return hasText(bit) ? m_texts[bit] : std::string();
}

std::string CDeviceErrorBase::describe(unsigned char bits) const
{
    std::string out;
    for (unsigned bit = 0; bit < 8; ++bit)
        if ((bits & (1u << bit)) && hasText(bit))
            out += "\r\n" + m_texts[bit];
    return out;
}
