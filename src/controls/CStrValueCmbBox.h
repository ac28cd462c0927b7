// A combo box of texts that stand for numeric codes (the coil arrangement,
// the injector and probe types, ...): the user reads the text, the settings
// get the code.
// Thread safety: the user-interface thread only.
#pragma once

#include <map>

#include <QString>

#include "controls/CEntryCmbBox.h"

struct CCmbBoxStrVal {
    QString m_text; // as shown, already in the current language
    double m_code = 0;
    int m_precision = 0; // of the code, as CCmbBoxNumVal's

    double rounded() const;
};

class CStrValueCmbBox : public CEntryCmbBox {
    Q_OBJECT
public:
    explicit CStrValueCmbBox(QWidget* parent = nullptr) : CEntryCmbBox(parent) {}

    void addValue(const CCmbBoxStrVal& entry);
    // Empties the list and its entries together; use this, not QComboBox::clear.
    void clear();
    // Selects the first entry, in list order, whose code is exactly the
    // value; false, and the selection unchanged, when none is.
    bool selectValue(double code);
    // The selected entry's code rounded to its precision; -1 when nothing is
    // selected.
    double getValue() const;
    const CCmbBoxStrVal* entryAt(int position) const;

private:
    std::map<int, CCmbBoxStrVal> m_entries;
};
