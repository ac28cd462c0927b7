#include "lang/TextTable.h"

#include <charconv>
#include <optional>
#include <set>
#include <utility>

extern const std::string_view g_textsTable;

namespace {

constexpr std::size_t COLUMN_COUNT = 2 + kLanguageCount;
constexpr std::string_view HEADER = "table\tkey\tpl\ten\tru\tit\tde";

std::vector<std::string_view> splitColumns(std::string_view line)
{
    std::vector<std::string_view> columns;
    for (;;) {
        auto tab = line.find('\t');
        columns.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return columns;
        line.remove_prefix(tab + 1);
    }
}

std::optional<std::string> unescape(std::string_view cell)
{
    std::string out;
    out.reserve(cell.size());
    for (std::size_t i = 0; i < cell.size(); ++i) {
        if (cell[i] != '\\') {
            out += cell[i];
            continue;
        }
        if (++i == cell.size())
            return std::nullopt;
        switch (cell[i]) {
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::optional<std::int32_t> parseKey(std::string_view cell)
{
    std::int32_t key = 0;
    auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), key);
    if (cell.empty() || ec != std::errc() || end != cell.data() + cell.size())
        return std::nullopt;
    return key;
}

std::string problem(std::size_t line, std::string_view reason)
{
    return "line " + std::to_string(line) + ": " + std::string(reason);
}

} // namespace

STextTable parseTextTable(std::string_view tsv)
{
    STextTable table;
    std::set<std::string, std::less<>> dictKeys;
    std::set<std::pair<std::string, std::int32_t>> windowKeys;
    bool headerSeen = false;
    std::size_t lineNo = 0;

    while (!tsv.empty()) {
        auto eol = tsv.find('\n');
        auto line = tsv.substr(0, eol);
        tsv.remove_prefix(eol == std::string_view::npos ? tsv.size() : eol + 1);
        ++lineNo;
        // A table saved with Windows line ends must read the same.
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (!headerSeen) {
            headerSeen = true;
            if (line != HEADER)
                table.problems.push_back(problem(lineNo, "expected the header row"));
            continue;
        }

        auto columns = splitColumns(line);
        if (columns.size() != COLUMN_COUNT) {
            table.problems.push_back(problem(lineNo, std::to_string(columns.size()) +
                                                         " columns instead of " +
                                                         std::to_string(COLUMN_COUNT)));
            continue;
        }
        STextRow row;
        row.line = lineNo;
        row.table = std::string(columns[0]);
        if (row.table.empty()) {
            table.problems.push_back(problem(lineNo, "no table name"));
            continue;
        }
        bool isDict = row.table == kDictTable;
        if (isDict && !columns[1].empty()) {
            table.problems.push_back(problem(lineNo, "a dictionary row takes no key"));
            continue;
        }
        if (!isDict) {
            auto key = parseKey(columns[1]);
            if (!key) {
                table.problems.push_back(problem(lineNo, "the key is not a whole number"));
                continue;
            }
            row.key = *key;
        }
        bool escapesOk = true;
        for (int lang = 0; lang < kLanguageCount; ++lang) {
            auto text = unescape(columns[2 + lang]);
            if (!text) {
                escapesOk = false;
                break;
            }
            row.texts[lang] = std::move(*text);
        }
        if (!escapesOk) {
            table.problems.push_back(problem(lineNo, "unknown escape sequence"));
            continue;
        }
        if (row.texts[LANG_PL].empty()) {
            table.problems.push_back(problem(lineNo, "no Polish text"));
            continue;
        }
        bool fresh = isDict ? dictKeys.insert(row.texts[LANG_PL]).second
                            : windowKeys.emplace(row.table, row.key).second;
        if (!fresh) {
            table.problems.push_back(problem(lineNo, "repeats a text given earlier"));
            continue;
        }
        table.rows.push_back(std::move(row));
    }
    if (!headerSeen)
        table.problems.push_back(problem(lineNo, "no header row"));
    return table;
}

const STextTable& textTable()
{
    static const STextTable table = parseTextTable(g_textsTable);
    return table;
}
