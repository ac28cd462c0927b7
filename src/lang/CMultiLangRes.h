// A text table that is filled by additions: from the window text classes'
// init(), either one add() per control or addTable() with the class's rows of
// the compiled-in table.
// Thread safety: one instance per window, used on the user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lang/CMultiLangText.h"

class CMultiLangRes : public CMultiLangText {
public:
    // Stores the five texts under the key; a key already present keeps its first texts.
    virtual void add(std::int32_t key, const std::string& pl, const std::string& en,
                     const std::string& ru, const std::string& it, const std::string& de);

    // Adds every row of the named text class ("CSettingsTexts", ...). Throws
    // CLangError code 6 for a name the table lacks, so a misspelt name cannot
    // leave a window in Polish unnoticed.
    void addTable(std::string_view tableName);
};
