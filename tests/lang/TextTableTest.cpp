#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "lang/CTranslationDict.h"
#include "lang/TextTable.h"
#include "lang/Translation.h"
#include "lang/WindowTexts.h"
#include "WindowRows.h"

namespace {

constexpr std::string_view kHeader = "table\tkey\tpl\ten\tru\tit\tde\n";

} // namespace

TEST(TextTable, ShippedTableHasNoRejectedRow)
{
    const auto& table = textTable();
    for (const auto& problem : table.problems)
        ADD_FAILURE() << problem;
    // The dictionary's first 141 texts, any added after them, every window row.
    EXPECT_GE(translationDictionary().size(), 141u);
    EXPECT_EQ(table.rows.size(), translationDictionary().size() + std::size(kWindowRows));
}

TEST(TextTable, RejectsEveryMalformedRowAndNamesItsLine)
{
    std::string tsv = "# comment\n";
    tsv += kHeader;
    tsv += "dict\t\tTak\tYes\tДа\tSì\tJa\n";  // 3: good
    tsv += "dict\t\tNie\tNo\tНет\tNo\n";      // 4: six columns
    tsv += "dict\t\tA\tB\tC\tD\tE\tF\n";      // 5: eight columns
    tsv += "CXTexts\tabc\tA\tB\tC\tD\tE\n";   // 6: key not a number
    tsv += "CXTexts\t12x\tA\tB\tC\tD\tE\n";   // 7: trailing garbage in key
    tsv += "dict\t5\tA\tB\tC\tD\tE\n";        // 8: dictionary with a key
    tsv += "dict\t\tA\\x\tB\tC\tD\tE\n";      // 9: unknown escape
    tsv += "dict\t\tA\tB\tC\tD\tE\\\n";       // 10: lone backslash at the end
    tsv += "dict\t\tTak\tYes!\tДа\tSì\tJa\n"; // 11: repeated key
    tsv += "CXTexts\t7\tA\tB\tC\tD\tE\n";     // 12: good
    tsv += "CXTexts\t7\tA2\tB\tC\tD\tE\n";    // 13: repeated key
    tsv += "\tX\tA\tB\tC\tD\tE\n";            // 14: no table
    tsv += "dict\t\t\tB\tC\tD\tE\n";          // 15: no Polish text
    tsv += "CYTexts\t7\tA\tB\tC\tD\tE";       // 16: same key, other class; no final line end

    auto table = parseTextTable(tsv);
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[0].texts[LANG_EN], "Yes");
    EXPECT_EQ(table.rows[0].line, 3u);
    EXPECT_EQ(table.rows[1].table, "CXTexts");
    EXPECT_EQ(table.rows[2].table, "CYTexts");
    ASSERT_EQ(table.problems.size(), 11u);
    const char* lines[] = {"line 4:",  "line 5:",  "line 6:",  "line 7:",  "line 8:", "line 9:",
                           "line 10:", "line 11:", "line 13:", "line 14:", "line 15:"};
    for (std::size_t i = 0; i < std::size(lines); ++i)
        EXPECT_EQ(table.problems[i].rfind(lines[i], 0), 0u) << table.problems[i];
}

TEST(TextTable, MissingOrWrongHeaderIsReported)
{
    EXPECT_EQ(parseTextTable("").problems.size(), 1u);
    auto table = parseTextTable("table\tkey\tpl\ten\n");
    EXPECT_EQ(table.problems.size(), 1u);
}

TEST(TextTable, DecodesEscapesAndKeepsBlanksAndWindowsLineEnds)
{
    std::string tsv(kHeader);
    tsv += "dict\t\t Moduł: \t Module: \tA\\tB\tC\\nD\tE\\\\F\r\n";
    tsv += "CXTexts\t-1\tTytuł\tTitle\tЗаголовок\tTitolo\tTitel\r\n";
    auto table = parseTextTable(tsv);
    EXPECT_TRUE(table.problems.empty());
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0].texts[LANG_PL], " Moduł: ");
    EXPECT_EQ(table.rows[0].texts[LANG_EN], " Module: ");
    EXPECT_EQ(table.rows[0].texts[LANG_RU], "A\tB");
    EXPECT_EQ(table.rows[0].texts[LANG_IT], "C\nD");
    EXPECT_EQ(table.rows[0].texts[LANG_DE], "E\\F");
    EXPECT_EQ(table.rows[1].key, -1);
    EXPECT_EQ(table.rows[1].texts[LANG_DE], "Titel");
}

TEST(WindowTexts, HoldEveryControlTextInFiveLanguages)
{
    for (const auto& expected : kWindowRows) {
        const auto& rows = windowTexts(expected.table);
        auto row = std::find_if(rows.begin(), rows.end(),
                                [&](const SWindowText& r) { return r.key == expected.key; });
        ASSERT_NE(row, rows.end()) << expected.table << " " << expected.key;
        EXPECT_EQ(row->texts[LANG_PL], expected.pl) << expected.table << " " << expected.key;
        EXPECT_EQ(row->texts[LANG_EN], expected.en) << expected.table << " " << expected.key;
        for (const auto& text : row->texts)
            EXPECT_FALSE(text.empty()) << expected.table << " " << expected.key;
    }
    std::size_t total = 0;
    for (const auto& name : windowTextTables())
        total += windowTexts(name).size();
    EXPECT_EQ(total, std::size(kWindowRows));
}

TEST(WindowTexts, KnowsEveryTextClassAndNothingElse)
{
    EXPECT_EQ(windowTextTables(),
              (std::vector<std::string>{
                  "CAutoSetupTexts", "CCompareDlgTexts", "CDevInfoTexts", "CErrCodesTexts",
                  "CFuelSensorTexts", "CHistoryDlgTexts", "CLPGBarTexts", "CMainMenuTexts",
                  "CMapCreateTexts", "CMountDataDlgTexts", "CNoConnectionDlgTexts",
                  "CPasswdDlgTexts", "CServiceToolsTexts", "CSettingsTexts"}));
    EXPECT_TRUE(windowTexts("CNoSuchTexts").empty());
    EXPECT_TRUE(windowTexts("dict").empty());
}
