// texts: the dictionary in one language, for translators to review.

#include "CliContext.h"

#include <vector>

#include "CliJson.h"
#include "lang/CTranslationDict.h"
#include "lang/Translation.h"

namespace {

// The escapes of texts.tsv, so a row reads as the table holds it.
std::string escaped(const std::string& text)
{
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

} // namespace

int cmdTexts(SCliContext& c)
{
    const SCliOptions& opt = c.opt;
    std::ostream& out = c.out;
    const int lang = opt.language >= 0 ? opt.language : currentLanguage();
    const CTranslationDict& dict = translationDictionary();
    if (opt.json) {
        const std::string code(languageCode(lang));
        std::vector<std::string> rows;
        for (const std::string& key : dict.keys())
            rows.push_back(CJsonObject().text("pl", key).text(code, translateTo(key, lang)).str());
        out << jsonArray(rows) << std::endl;
        return CLI_OK;
    }
    for (const std::string& key : dict.keys())
        out << escaped(key) << '\t' << escaped(translateTo(key, lang)) << '\n';
    out.flush();
    return CLI_OK;
}
