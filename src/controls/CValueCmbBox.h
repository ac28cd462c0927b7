// A combo box of numbers: each entry shows its value rounded to its own
// precision, and a value is found in the list as it is shown, so a stored
// 0.30000000000000004 finds the entry "0.3".
// Thread safety: the user-interface thread only.
#pragma once

#include <map>

#include <QString>

#include "controls/CEntryCmbBox.h"

struct CCmbBoxNumVal {
    double m_value = 0;
    // 0 to 3 decimals; any other number shows the value as a whole number.
    int m_precision = 0;

    double rounded() const;
    // "%d", "%.1f", "%.2f" or "%.3f" of the rounded value.
    QString text() const;
};

class CValueCmbBox : public CEntryCmbBox {
    Q_OBJECT
public:
    explicit CValueCmbBox(QWidget* parent = nullptr) : CEntryCmbBox(parent) {}

    void addValue(const CCmbBoxNumVal& entry);
    // Empties the list and its entries together; use this, not QComboBox::clear.
    void clear();
    // Selects the first entry, in list order, that equals the value, both
    // rounded to the entry's precision; false, and the selection unchanged,
    // when none does.
    bool selectValue(double value);
    // The selected entry's rounded value; -1 when nothing is selected.
    double getValue() const;
    // The entry at a list position; null outside the list.
    const CCmbBoxNumVal* entryAt(int position) const;

private:
    std::map<int, CCmbBoxNumVal> m_entries;
};
