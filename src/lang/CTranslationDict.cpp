#include "lang/CTranslationDict.h"

#include "lang/Translation.h"

void CTranslationDict::add(const std::string& pl, const std::string& en, const std::string& ru,
                           const std::string& it, const std::string& de)
{
    auto [where, fresh] = m_texts.try_emplace(pl);
    if (!fresh)
        return;
    m_order.push_back(pl);
    const std::pair<int, const std::string*> texts[] = {
        {LANG_EN, &en}, {LANG_RU, &ru}, {LANG_IT, &it}, {LANG_DE, &de}};
    for (const auto& [language, text] : texts) {
        if (!text->empty())
            where->second.emplace_back(language, *text);
    }
}

const std::string* CTranslationDict::find(std::string_view polish, int language) const
{
    auto where = m_texts.find(polish);
    if (where == m_texts.end())
        return nullptr;
    for (const auto& [lang, text] : where->second) {
        if (lang == language)
            return &text;
    }
    return nullptr;
}

bool CTranslationDict::contains(std::string_view polish) const
{
    return m_texts.find(polish) != m_texts.end();
}
