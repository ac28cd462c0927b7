#include "controls/CValueCmbBox.h"

#include "data/SettingsLists.h"

double CCmbBoxNumVal::rounded() const
{
    return roundToPrecision(m_value, m_precision);
}

QString CCmbBoxNumVal::text() const
{
    return QString::fromStdString(listValueText(m_value, m_precision));
}

void CValueCmbBox::addValue(const CCmbBoxNumVal& entry)
{
    m_entries[appendText(entry.text())] = entry;
}

void CValueCmbBox::clear()
{
    m_entries.clear();
    clearTexts();
}

bool CValueCmbBox::selectValue(double value)
{
    for (const auto& [position, entry] : m_entries) {
        if (roundToPrecision(value, entry.m_precision) == entry.rounded()) {
            setCurrentIndex(position);
            return true;
        }
    }
    return false;
}

double CValueCmbBox::getValue() const
{
    const CCmbBoxNumVal* entry = entryAt(currentIndex());
    return entry != nullptr ? entry->rounded() : -1;
}

const CCmbBoxNumVal* CValueCmbBox::entryAt(int position) const
{
    const auto it = m_entries.find(position);
    return it != m_entries.end() ? &it->second : nullptr;
}
