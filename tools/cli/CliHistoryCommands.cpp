// history, restore, diff: a controller's backups, and settings against settings.

#include "CliContext.h"

#include <memory>
#include <sstream>

#include "CliJson.h"
#include "CliText.h"
#include "data/CUserConfig.h"
#include "data/SettingsCompare.h"
#include "data/SettingsFileIO.h"
#include "data/SettingsHistory.h"
#include "data/SettingsKeys.h"
#include "errors/IError.h"
#include "lang/Translation.h"

namespace {

// diff's own exit status, as diff(1) has it.
constexpr int DIFF_SAME = 0;
constexpr int DIFF_DIFFERENT = 1;
constexpr int DIFF_TROUBLE = 2;

std::string historyDirectory(const CGasDevice& d)
{
    return CUserConfig::historyDirectory(d.m_devInfo.m_serial);
}

// The value of the key behind a difference, as the settings file holds it:
// a number for numbers, so that scripts need not parse the shown text.
std::string jsonValue(const SSettingsKey& key, const CSettings& s)
{
    if (key.type == ESettingsKeyType::Text)
        return jsonString(key.getText(s));
    return jsonNumber(key.getNumber(s));
}

std::string jsonDifferences(const std::vector<SSettingsDifference>& differences, const CSettings& a,
                            const CSettings& b)
{
    std::vector<std::string> items;
    for (const SSettingsDifference& d : differences) {
        items.push_back(CJsonObject()
                            .text("key", d.key)
                            .text("label", d.label)
                            .text("unit", d.unit)
                            .text("a", d.a)
                            .text("b", d.b)
                            .raw("a_value", jsonValue(*d.item->key, a))
                            .raw("b_value", jsonValue(*d.item->key, b))
                            .str());
    }
    return jsonArray(items);
}

std::string keyList(const std::vector<SSettingsDifference>& differences)
{
    std::string list;
    for (const std::string& key : differingKeys(differences))
        list += (list.empty() ? "" : ", ") + key;
    return list.empty() ? translate("bez różnic") : list;
}

// Runs part of a command whose failures must carry diff's status: the
// message is kept and said once, under DIFF_TROUBLE.
class CQuietContext {
public:
    explicit CQuietContext(SCliContext& c) : m_context{c.opt, m_out, m_err, c.shell, c.device} {}
    SCliContext& context() { return m_context; }
    // What the part said on err, without the program's name.
    std::string message() const
    {
        std::string text = m_err.str();
        const std::string prefix = "nimo-cli: ";
        if (text.rfind(prefix, 0) == 0)
            text.erase(0, prefix.size());
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }

private:
    std::ostringstream m_out;
    std::ostringstream m_err;
    SCliContext m_context;
};

int diffBody(SCliContext& c)
{
    const std::string& pathA = c.opt.operands[0];
    CSettings a;
    std::string error;
    if (!loadSettingsFile(pathA, a, &error))
        return cliFail(c, DIFF_TROUBLE, error);
    CSettings b;
    std::string nameB;
    if (c.opt.operands.size() > 1) {
        nameB = c.opt.operands[1];
        if (!loadSettingsFile(nameB, b, &error))
            return cliFail(c, DIFF_TROUBLE, error);
    } else {
        CQuietContext quiet(c);
        if (cliConnect(quiet.context()) != CLI_OK || !cliSettingsTrusted(quiet.context()))
            return cliFail(c, DIFF_TROUBLE, quiet.message());
        b = c.device.settings();
        nameB = "controller";
    }
    const std::vector<SSettingsDifference> differences = compareSettings(a, b);
    if (c.opt.json) {
        c.out << CJsonObject()
                     .boolean("equal", differences.empty())
                     .text("a", pathA)
                     .text("b", nameB)
                     .raw("differences", jsonDifferences(differences, a, b))
                     .str()
              << std::endl;
    } else {
        for (const SSettingsDifference& d : differences)
            c.out << d.key << '\t' << d.label << '\t' << withUnit(d.a, d.unit) << '\t'
                  << withUnit(d.b, d.unit) << '\n';
        c.out.flush();
    }
    return differences.empty() ? DIFF_SAME : DIFF_DIFFERENT;
}

bool allDigits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

int cmdHistory(SCliContext& c)
{
    if (!cliSettingsTrusted(c))
        return CLI_FAILED;
    const CGasDevice& d = c.device;
    const std::string directory = historyDirectory(d);
    if (directory.empty())
        return cliFail(c, CLI_FAILED, translate("nie ustawiono katalogu domowego (HOME)"));
    const std::vector<SHistoryEntry> history = readHistory(directory, d);
    if (c.opt.json) {
        std::vector<std::string> backups;
        for (std::size_t i = 0; i < history.size(); ++i) {
            const SHistoryEntry& e = history[i];
            CJsonObject o;
            o.number("number", static_cast<double>(i + 1))
                .text("time", e.file.time)
                .text("operation", e.file.operation)
                .text("operation_text", operationText(e.file.operation))
                .text("file", e.file.path)
                .boolean("readable", e.readable);
            if (e.readable) {
                std::vector<std::string> keys;
                for (const std::string& key : differingKeys(e.differences))
                    keys.push_back(jsonString(key));
                o.raw("keys", jsonArray(keys))
                    .raw("differences", jsonDifferences(e.differences, e.settings, d));
            } else {
                o.text("error", e.error);
            }
            backups.push_back(o.str());
        }
        c.out << CJsonObject()
                     .text("serial", d.m_devInfo.m_serial)
                     .text("directory", directory)
                     .raw("backups", jsonArray(backups))
                     .str()
              << std::endl;
        return CLI_OK;
    }
    if (history.empty()) {
        c.out << translate("brak kopii ustawień w ") << directory << std::endl;
        return CLI_OK;
    }
    for (std::size_t i = 0; i < history.size(); ++i) {
        const SHistoryEntry& e = history[i];
        c.out << i + 1 << '\t' << e.file.time << '\t' << operationText(e.file.operation) << '\t'
              << (e.readable ? keyList(e.differences) : e.error) << '\t' << e.file.path << '\n';
    }
    c.out.flush();
    return CLI_OK;
}

int cmdRestore(SCliContext& c)
{
    const std::string& operand = c.opt.operands.front();
    const bool numbered = allDigits(operand);
    CSettings backup;
    std::string error;
    // A file that would be refused is refused before any controller is sought.
    if (!numbered && !loadSettingsFile(operand, backup, &error))
        return cliFail(c, CLI_REFUSED, error);
    if (cliConnect(c) != CLI_OK)
        return CLI_NO_DEVICE;
    if (!cliSettingsTrusted(c))
        return CLI_FAILED;
    CGasDevice& d = c.device;
    std::string path = operand;
    if (numbered) {
        const std::vector<SBackupFile> files = listBackups(historyDirectory(d));
        const unsigned long n = operand.size() > 6 ? 0 : std::stoul(operand);
        if (n < 1 || n > files.size())
            return cliFail(c, CLI_REFUSED,
                           translateFill("nie ma kopii nr %1 (historia sterownika liczy %2)",
                                         {operand, std::to_string(files.size())}));
        path = files[n - 1].path;
    } else if (!backup.m_devInfo.m_serial.empty() &&
               backup.m_devInfo.m_serial != d.m_devInfo.m_serial) {
        cliWarnings(c, {translateFill("kopia pochodzi z innego sterownika (numer seryjny %1)",
                                      {backup.m_devInfo.m_serial})});
    }
    std::string saved;
    const int rc = cliReplaceSettings(c, saved, [&](STransferProgress& progress) {
        return loadSettingsIntoDevice(d, path, EReplaceOperation::Restore, &saved, &progress);
    });
    if (rc == CLI_OK) {
        CJsonObject o;
        o.boolean("ok", true).text("command", "restore").text("file", path);
        if (!saved.empty())
            o.text("backup", saved);
        cliDone(c, o.str(),
                translate("przywrócono ustawienia z kopii ") + path +
                    translate("; sterownik zresetowano"));
    }
    return rc;
}

int cmdDiff(SCliContext& c)
{
    try {
        return diffBody(c);
    } catch (IError* e) {
        // A port that fails halfway is trouble too, not a difference.
        std::unique_ptr<IError> owned(e);
        return cliFail(c, DIFF_TROUBLE, e->description() + " (" + e->text() + ")");
    } catch (const std::exception& e) {
        return cliFail(c, DIFF_TROUBLE, translate("Błąd krytyczny.") + " " + e.what());
    }
}
