#include "lang/WindowTexts.h"

#include <functional>
#include <map>

#include "lang/TextTable.h"

namespace {

using TWindowTables = std::map<std::string, std::vector<SWindowText>, std::less<>>;

const TWindowTables& windowTables()
{
    static const TWindowTables tables = [] {
        TWindowTables built;
        for (const auto& row : textTable().rows) {
            if (row.table != kDictTable)
                built[row.table].push_back(SWindowText{row.key, row.texts});
        }
        return built;
    }();
    return tables;
}

} // namespace

const std::vector<SWindowText>& windowTexts(std::string_view tableName)
{
    static const std::vector<SWindowText> none;
    const auto& tables = windowTables();
    auto where = tables.find(tableName);
    return where == tables.end() ? none : where->second;
}

std::vector<std::string> windowTextTables()
{
    std::vector<std::string> names;
    for (const auto& [name, rows] : windowTables())
        names.push_back(name);
    return names;
}
