#include "lang/CMultiLangRes.h"

#include "lang/Translation.h"
#include "lang/WindowTexts.h"

void CMultiLangRes::add(std::int32_t key, const std::string& pl, const std::string& en,
                        const std::string& ru, const std::string& it, const std::string& de)
{
    auto [where, fresh] = m_table.try_emplace(key);
    if (!fresh)
        return;
    where->second = {{LANG_PL, pl}, {LANG_EN, en}, {LANG_RU, ru}, {LANG_IT, it}, {LANG_DE, de}};
}

void CMultiLangRes::addTable(std::string_view tableName)
{
    const auto& rows = windowTexts(tableName);
    if (rows.empty())
        throwError(CLangError::errNoText, "CMultiLangRes::addTable()", __LINE__, kMultiLangFile);
    for (const auto& row : rows) {
        const auto& t = row.texts;
        add(row.key, t[LANG_PL], t[LANG_EN], t[LANG_RU], t[LANG_IT], t[LANG_DE]);
    }
}
