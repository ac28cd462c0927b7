// Base of every window text class: the texts of a window's controls in the
// five languages, keyed by control identifier.
// Thread safety: one instance per window, used on the user-interface thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lang/CLangError.h"
#include "errors/IError.h"

// Source file named in the errors of the text classes.
inline constexpr const char* kMultiLangFile = "multilang";

class CMultiLangText : public IErrorHelper<CLangError> {
public:
    using TTexts = std::vector<std::pair<int, std::string>>; // (language, text)
    using TTable = std::map<std::int32_t, TTexts>;

    ~CMultiLangText() override = default;

    // The key's text in the current language. Throws CLangError code 5 for an
    // invalid current language, code 6 for a key or language without text.
    virtual std::string text(std::int32_t key) const;
    // Fills the table; each window text class lists its texts here.
    virtual void init() {}

    // Throws CLangError code 5 unless the language is 0 to 4.
    void checkLang(int language) const;

    // Keys ascend, the order in which a window applies them.
    const TTable& table() const { return m_table; }

protected:
    TTable m_table;
};
