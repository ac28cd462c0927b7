// autocalibrate: the desktop application's autocalibration from a terminal,
// with its boxes as messages on standard error and a summary of what it
// changed on standard output.

#include "CliContext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "CliJson.h"
#include "CliStop.h"
#include "calib/CAutoSetup.h"
#include "data/CDiagInputThread.h"
#include "data/CUserConfig.h"
#include "data/SettingsKeys.h"
#include "errors/IError.h"
#include "lang/Translation.h"

namespace {

// A reader is asked to end after its current exchange: one read time-out at most.
constexpr std::uint32_t kStopLimitMs = 3000;

struct SMountOption {
    const char* option;
    const char* key;
    std::string SCliOptions::*value;
};

const SMountOption kMountOptions[] = {
    {"--mount-service", "m_devInfo.m_mountService", &SCliOptions::mountService},
    {"--inj-size", "m_devInfo.m_injSize", &SCliOptions::injSize},
    {"--engine", "m_devInfo.m_engine", &SCliOptions::engine},
};

bool given(const SCliOptions& opt, const char* option)
{
    return std::find(opt.given.begin(), opt.given.end(), option) != opt.given.end();
}

std::string joined(const std::vector<std::string>& items)
{
    std::string s;
    for (const std::string& item : items)
        s += (s.empty() ? "" : ", ") + item;
    return s;
}

bool blank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

class CCliAutoSetupUi : public IAutoSetupUi {
public:
    explicit CCliAutoSetupUi(SCliContext& c) : m_c(c) {}

    void warningBox(const std::string& text) override
    {
        // The fitter is told; the procedure goes on, as after closing the box.
        say(translate("uwaga: ") + text);
        m_messages.push_back(trimmed(text));
    }
    void errorBox(const std::string& text) override
    {
        say(text);
        m_messages.push_back(trimmed(text));
        m_error = trimmed(text);
    }
    void plainBox(const std::string& text) override { errorBox(text); }
    bool confirm(const std::string& text) override
    {
        say(text);
        if (!m_c.opt.yes) {
            m_c.err << translate("Naciśnij Enter, gdy obroty są stabilne (albo podaj --yes).")
                    << std::endl;
            std::string line;
            if (!std::getline(std::cin, line)) {
                m_unconfirmed = true;
                return false;
            }
        }
        // From here on a stop request ends the procedure at its next wait;
        // before, nothing has been changed and a signal simply ends nimo-cli.
        m_stopScope.emplace();
        return true;
    }
    bool askMountData(SDevInfo& info) override
    {
        // The command refused to start without them; the stored name stands
        // in for --mount-service as it does in the dialog.
        if (given(m_c.opt, "--mount-service"))
            info.m_mountService = m_c.opt.mountService;
        info.m_injSize = m_c.opt.injSize;
        info.m_engine = m_c.opt.engine;
        return !blank(info.m_mountService) && !blank(info.m_injSize) && !blank(info.m_engine);
    }
    std::string storedInstallerName() override { return m_config.mountServiceName(); }
    void storeInstallerName(const std::string& name) override
    {
        // Only the next prefill is lost if the file cannot be written.
        m_config.storeMountServiceName(name);
    }
    void showProgress(int percent) override
    {
        // Every tenth is enough on a console; the last steps are named.
        const int shown = percent >= 99 ? percent : percent / 10 * 10;
        if (m_finished || shown == m_percent)
            return;
        percent = shown;
        m_percent = percent;
        m_c.err << translate("Autokalibracja") << ": " << percent << "%" << std::endl;
    }
    void showCorrections() override {}
    void pumpEvents() override {}
    void sleep(std::uint32_t ms) override { m_c.shell.sleep(ms); }
    bool running() override
    {
        // A reader that is gone without having been asked has lost the link,
        // and the waits could never fill.
        if (m_c.shell.linkWasLost() || m_c.device.m_liveReaders.count() == 0)
            m_linkLost = true;
        return !m_linkLost && !cliStopRequested();
    }
    void finished() override
    {
        m_finished = true;
        m_stopScope.reset();
    }

    bool linkLost() const { return m_linkLost; }
    bool unconfirmed() const { return m_unconfirmed; }
    const std::string& error() const { return m_error; }
    const std::vector<std::string>& messages() const { return m_messages; }

private:
    static std::string trimmed(std::string text)
    {
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }
    void say(const std::string& text) { m_c.err << "nimo-cli: " << trimmed(text) << std::endl; }

    SCliContext& m_c;
    CUserConfig m_config{CUserConfig::defaultPath()};
    std::optional<CCliStopScope> m_stopScope;
    int m_percent = -1;
    bool m_finished = false;
    bool m_linkLost = false;
    bool m_unconfirmed = false;
    std::string m_error;
    std::vector<std::string> m_messages;
};

std::string ms3(double ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", ms);
    return text;
}

std::string valuesJson(const std::optional<SAutoSetupValues>& v)
{
    if (!v)
        return "null";
    return CJsonObject()
        .number("m_mainCorr", v->mainCorr)
        .number("m_mainCorr2", v->mainCorr2)
        .number("m_mainCorr2Mask", v->mainCorr2Mask)
        .number("m_pressureRef", v->pressureRef)
        .number("m_switchPressure", v->switchPressure)
        .number("m_pressureGain", v->pressureGain)
        .str();
}

// One "KEY TAB before -> after" line per field the procedure changes; a
// side that is not known reads "?".
void printValues(SCliContext& c, const std::optional<SAutoSetupValues>& before,
                 const std::optional<SAutoSetupValues>& after)
{
    struct SRow {
        const char* key;
        std::string (*text)(const SAutoSetupValues&);
    };
    static const SRow rows[] = {
        {"m_mainCorr", [](const SAutoSetupValues& v) { return ms3(v.mainCorr); }},
        {"m_mainCorr2", [](const SAutoSetupValues& v) { return ms3(v.mainCorr2); }},
        {"m_mainCorr2Mask",
         [](const SAutoSetupValues& v) { return std::to_string(v.mainCorr2Mask); }},
        {"m_pressureRef",
         [](const SAutoSetupValues& v) { return formatSettingsNumber(v.pressureRef); }},
        {"m_switchPressure",
         [](const SAutoSetupValues& v) { return formatSettingsNumber(v.switchPressure); }},
        {"m_pressureGain",
         [](const SAutoSetupValues& v) { return formatSettingsNumber(v.pressureGain); }},
    };
    for (const SRow& row : rows) {
        c.out << row.key << '\t' << (before ? row.text(*before) : "?") << " -> "
              << (after ? row.text(*after) : "?") << '\n';
    }
}

const char* resultName(EAutoSetupEnd end, const CCliAutoSetupUi& ui)
{
    if (ui.linkLost())
        return "link-lost";
    if (ui.unconfirmed())
        return "not-confirmed";
    switch (end) {
    case EAutoSetupEnd::Done:
        return "done";
    case EAutoSetupEnd::Stopped:
        return "stopped";
    case EAutoSetupEnd::NoMountData:
    case EAutoSetupEnd::Failed:
        break;
    }
    return "failed";
}

} // namespace

std::string checkAutocalibrate(const SCliOptions& opt)
{
    for (const SMountOption& m : kMountOptions) {
        if (!given(opt, m.option))
            continue;
        const std::string& value = opt.*m.value;
        if (blank(value))
            return std::string(m.option) + translate(" nie może być puste");
        if (std::string why = settingsRefusal(*findSettingsKey(m.key), value); !why.empty())
            return std::string(m.option) + ": " + why;
    }
    return {};
}

int cmdAutocalibrate(SCliContext& c)
{
    resetCliStop();
    if (!cliSettingsTrusted(c))
        return CLI_FAILED;

    // The installation data are asked for exactly when the desktop
    // application would ask: the controller has no installation date yet.
    std::vector<std::string> mountGiven;
    std::vector<std::string> mountMissing;
    const bool nameStored = !CUserConfig(CUserConfig::defaultPath()).mountServiceName().empty();
    for (const SMountOption& m : kMountOptions) {
        if (given(c.opt, m.option))
            mountGiven.push_back(m.option);
        else if (!(nameStored && std::string(m.option) == "--mount-service"))
            mountMissing.push_back(m.option);
    }
    if (c.device.m_devInfo.m_mountDate.empty()) {
        if (!mountMissing.empty())
            return cliFail(c, CLI_USAGE,
                           translate("sterownik nie ma jeszcze danych montażu; podaj ") +
                               joined(mountMissing));
    } else if (!mountGiven.empty()) {
        c.err << "nimo-cli: " << translate("sterownik ma już dane montażu; pominięto ")
              << joined(mountGiven) << std::endl;
    }

    c.shell.clearLinkLost();
    if (!startLive(c.device))
        return cliFail(
            c, CLI_FAILED,
            translate("sterownik nie przeszedł testu połączenia; brak danych bieżących"));
    CCliAutoSetupUi ui(c);
    CAutoSetup setup(c.device, ui);
    const EAutoSetupEnd end = setup.doWork();
    const bool readerStopped = stopLive(c.device, kStopLimitMs);

    // What the controller holds now, not what was meant to be sent.
    std::optional<SAutoSetupValues> after;
    try {
        if (setup.before() && !ui.linkLost() && readerStopped && c.device.readSettings())
            after = autoSetupValues(c.device);
    } catch (IError* e) {
        // The port that failed the procedure fails this too; the summary
        // says the values after are unknown.
        std::unique_ptr<IError> owned(e);
    }

    int rc = CLI_OK;
    std::string why;
    if (ui.linkLost()) {
        rc = CLI_NO_DEVICE;
        why = translate("utracono połączenie ze sterownikiem; autokalibracja przerwana");
    } else if (ui.unconfirmed()) {
        rc = CLI_USAGE;
        why = translate("nie potwierdzono stabilnych obrotów; podaj --yes albo naciśnij Enter");
    } else if (end == EAutoSetupEnd::NoMountData) {
        rc = CLI_USAGE;
        why = translate("sterownik nie ma jeszcze danych montażu; podaj ") +
              "--mount-service, --inj-size, --engine";
    } else if (end == EAutoSetupEnd::Stopped) {
        rc = CLI_FAILED;
        why = translate("Autokalibracja przerwana");
    } else if (end != EAutoSetupEnd::Done) {
        rc = CLI_FAILED;
        why = ui.error();
    }
    if (!why.empty() && why != ui.error())
        c.err << "nimo-cli: " << why << std::endl;
    if (setup.before() && !after)
        c.err << "nimo-cli: " << translate("nie udało się odczytać ustawień po autokalibracji")
              << std::endl;
    cliBackupNote(c, setup.backupPath());

    const auto& d = setup.differences();
    if (c.opt.json) {
        std::vector<std::string> diffs;
        for (const auto& x : d) {
            if (x)
                diffs.push_back(jsonNumber(*x));
        }
        std::vector<std::string> messages;
        for (const std::string& m : ui.messages())
            messages.push_back(jsonString(m));
        CJsonObject o;
        o.text("result", resultName(end, ui))
            .raw("before", valuesJson(setup.before()))
            .raw("after", valuesJson(after))
            .raw("gas_kpa",
                 setup.measuredPressure() ? jsonNumber(*setup.measuredPressure()) : "null")
            .raw("differences", jsonArray(diffs))
            .raw("messages", jsonArray(messages));
        if (rc != CLI_OK)
            o.text("error", why);
        o.number("exit", rc);
        c.out << o.str() << std::endl;
        return rc;
    }
    if (!setup.before())
        return rc;
    c.out << (end == EAutoSetupEnd::Done ? translate("Autokalibracja zakończona")
                                         : translate("Autokalibracja przerwana"))
          << '\n';
    printValues(c, setup.before(), after);
    if (setup.measuredPressure())
        c.out << translate("Ciśnienie [kPa]") << '\t'
              << formatSettingsNumber(std::round(*setup.measuredPressure() * 10) / 10) << '\n';
    std::string diffs;
    for (const auto& x : d) {
        if (x)
            diffs += (diffs.empty() ? "" : " ") + ms3(*x);
    }
    if (!diffs.empty())
        c.out << "Tg - Tp [ms]\t" << diffs << '\n';
    c.out.flush();
    return rc;
}
