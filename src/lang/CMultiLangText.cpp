#include "lang/CMultiLangText.h"

#include "lang/Translation.h"

void CMultiLangText::checkLang(int language) const
{
    if (language < 0 || language >= kLanguageCount)
        throwError(CLangError::errLang, "CMultiLangText::checkLang()", 46, kMultiLangFile);
}

std::string CMultiLangText::text(std::int32_t key) const
{
    // Read once: the language may change on another thread between check and use.
    int language = currentLanguage();
    checkLang(language);
    auto where = m_table.find(key);
    if (where == m_table.end())
        throwError(CLangError::errNoText, "CMultiLangText::text()", 56, kMultiLangFile);
    const std::string* found = nullptr;
    for (const auto& [lang, text] : where->second) {
        if (lang == language) {
            found = &text;
            break;
        }
    }
    if (found == nullptr)
        throwError(CLangError::errNoText, "CMultiLangText::text()", 66, kMultiLangFile);
    return *found;
}
