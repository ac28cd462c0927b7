#include "controls/CStrValueCmbBox.h"

#include "data/SettingsLists.h"

double CCmbBoxStrVal::rounded() const
{
    return roundToPrecision(m_code, m_precision);
}

void CStrValueCmbBox::addValue(const CCmbBoxStrVal& entry)
{
    m_entries[appendText(entry.m_text)] = entry;
}

void CStrValueCmbBox::clear()
{
    m_entries.clear();
    clearTexts();
}

bool CStrValueCmbBox::selectValue(double code)
{
    for (const auto& [position, entry] : m_entries) {
        if (entry.m_code == code) {
            setCurrentIndex(position);
            return true;
        }
    }
    return false;
}

double CStrValueCmbBox::getValue() const
{
    const CCmbBoxStrVal* entry = entryAt(currentIndex());
    return entry != nullptr ? entry->rounded() : -1;
}

const CCmbBoxStrVal* CStrValueCmbBox::entryAt(int position) const
{
    const auto it = m_entries.find(position);
    return it != m_entries.end() ? &it->second : nullptr;
}
