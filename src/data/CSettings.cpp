#include "data/CSettings.h"

void CSettings::setInjectorType(std::uint8_t code)
{
    m_injectorType = code;
    m_pwm = 50.0;
    m_pwmOffset = 4.0;
    switch (code) {
    case 1: // VALTEK 3 OHM
        m_injectorWarmingImpulse = 1.8;
        break;
    case 9: // VALTEK 1 OHM
        m_pwm = 35.0;
        m_pwmOffset = 3.0;
        m_injectorWarmingImpulse = 1.0;
        break;
    default: // MATRIX and anything unknown
        m_injectorWarmingImpulse = 0.8;
        break;
    }
}
