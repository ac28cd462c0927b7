// nimo-cli pieces that need no controller: JSON output, the command line,
// help, the fuel-sensor check, the last-port file, replay and texts.

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "CConsoleShell.h"
#include "CliCommands.h"
#include "CliContext.h"
#include "CliHelp.h"
#include "CliJson.h"
#include "CliOptions.h"
#include "CliTestSupport.h"
#include "JsonCheck.h"
#include "data/CDiagFile.h"
#include "data/FuelSensorCheck.h"
#include "lang/CTranslationDict.h"
#include "lang/LanguageScope.h"
#include "lang/Translation.h"

TEST(CliJson, StringsStayValidWhateverTheBytes)
{
    EXPECT_EQ(jsonString("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(jsonString("tab\tline\r\n"), R"("tab\tline\r\n")");
    EXPECT_EQ(jsonString(std::string("\x01\x7f", 2)), R"("\u0001\u007f")");
    EXPECT_EQ(jsonString("Łódź °C"), "\"Łódź °C\"");
    // A controller's text is whatever bytes it holds: a lone byte of 0xFF,
    // a cut sequence and an overlong slash all become U+FFFD.
    EXPECT_EQ(jsonString("\xFF"), "\"\xEF\xBF\xBD\"");
    EXPECT_EQ(jsonString("\xC5"), "\"\xEF\xBF\xBD\"");
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
    for (const char* s : {"\xFF\xFE", "\xE2\x82", "x\xF0\x9F\x98\x80y", "\x1b[0m"})
        EXPECT_TRUE(CJsonCheck::valid(jsonString(s))) << s;
}

TEST(CliJson, NumbersAreJsonNumbers)
{
    EXPECT_EQ(jsonNumber(1200), "1200");
    EXPECT_EQ(jsonNumber(0.8), "0.8");
    EXPECT_EQ(jsonNumber(-12.8), "-12.8");
    EXPECT_EQ(jsonNumber(4294967295.0), "4294967295");
    EXPECT_EQ(jsonNumber(-0.0), "0");
    EXPECT_EQ(jsonNumber(0.0 / 0.0), "null");
    EXPECT_EQ(jsonNumber(1e300 * 1e300), "null");
    for (double v : {1e-7, 1e21, 123.456, -3.075})
        EXPECT_TRUE(CJsonCheck::valid(jsonNumber(v))) << v;
    const std::string o = CJsonObject()
                              .text("a", "x")
                              .number("b", 2)
                              .boolean("c", false)
                              .raw("d", jsonArray({"1", "null"}))
                              .str();
    EXPECT_EQ(o, R"({"a":"x","b":2,"c":false,"d":[1,null]})");
}

TEST(CliOptions, GlobalAndCommandOptionsAnywhere)
{
    SCliOptions o;
    ASSERT_EQ(parseCliOptions({"monitor", "--count", "5", "--port=/dev/x", "--json", "--port", "2",
                               "--record", "r.bin", "--lang", "de", "--seconds=1.5"},
                              o),
              "");
    EXPECT_EQ(o.command, "monitor");
    EXPECT_EQ(o.ports, (std::vector<std::string>{"/dev/x", "2"}));
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.language, LANG_DE);
    EXPECT_EQ(*o.count, 5u);
    EXPECT_DOUBLE_EQ(*o.seconds, 1.5);
    EXPECT_EQ(o.record, "r.bin");
    EXPECT_EQ(cliPortNumber("2"), 2);
    EXPECT_EQ(cliPortNumber("/dev/ttyS2"), 0);
    EXPECT_EQ(cliPortNumber("./3"), 0); // how a file called "3" is named
    // Numbers outside the scan range, however long, name no port.
    for (const char* beyond : {"0", "8", "99999999999999999999"})
        EXPECT_EQ(cliPortNumber(beyond), -1) << beyond;

    SCliOptions m;
    ASSERT_EQ(parseCliOptions({"injectors", "--mask", "0x3F"}, m), "");
    EXPECT_EQ(*m.mask, 0x3F);
    // After "--" a value that looks like an option is an operand.
    SCliOptions s;
    ASSERT_EQ(parseCliOptions({"set", "--", "--odd=1"}, s), "");
    EXPECT_EQ(s.operands, std::vector<std::string>{"--odd=1"});
}

TEST(CliOptions, WrongCommandLinesAreUsageErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        {"frobnicate"},
        {"info", "--bogus"},
        {"info", "extra"},
        {"monitor", "--count", "0"},
        {"monitor", "--count", "-3"},
        {"monitor", "--seconds", "soon"},
        {"monitor", "--count"},
        {"injectors", "--mask", "256"},
        {"info", "--mask", "3"}, // an option of another command
        {"settings", "--yes"},
        {"save"},
        {"eeprom", "read", "0"},
        {"set"},
        {"info", "--lang", "fr"},
        {"info", "--json=yes"},
        {"info", "--port", "0"},
        {"info", "--port", "8"},
        // Malformed operands and option values are found before any port is
        // sought: none of these lines has a controller to talk to.
        {"fuel-sensor", "--set", "1,2,3"},
        {"fuel-sensor", "--set", "Inny"}, // a type without thresholds of its own
        {"eeprom", "read", "0x1g", "4"},
        {"eeprom", "read", "0", "many"},
        {"eeprom", "write", "0", "1"},
        {"mode", "diesel"},
        {"defaults"},
        {"help", "nosuch"},
    };
    for (const auto& args : bad) {
        SCliOptions o;
        EXPECT_NE(parseCliOptions(args, o), "") << args.front();
        const SCliResult r = runCliArgs(args);
        EXPECT_EQ(r.rc, CLI_USAGE) << args.front() << " " << args.back();
        EXPECT_NE(r.err.find("nimo-cli --help"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const SCliResult none = runCliArgs({});
    EXPECT_EQ(none.rc, CLI_USAGE);
    EXPECT_NE(none.err.find("Usage: nimo-cli"), std::string::npos);
}

TEST(CliJsonFailures, EveryFailureIsOneObjectBesideTheMessage)
{
    CLanguageScope restore(LANG_PL);
    CCliTempDir dir;
    const std::string notRecording = dir.file("x.bin");
    std::ofstream(notRecording) << "not a recording";
    const struct {
        std::vector<std::string> args;
        int rc;
    } cases[] = {
        // --json counts wherever it stands, even after the mistake.
        {{"info", "--port", "0", "--json"}, CLI_USAGE},
        {{"--json", "fuel-sensor", "--set", "1,2,3"}, CLI_USAGE},
        {{"--json", "--demo", "fuel-sensor", "--set", "10,20,20,30"}, CLI_REFUSED},
        {{"--json", "replay", notRecording}, CLI_REFUSED},
        {{"--json", "--port", dir.file("none"), "info"}, CLI_NO_DEVICE},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), {"--lang", "en"});
        const SCliResult r = runCliArgs(args);
        EXPECT_EQ(r.rc, c.rc) << args.back();
        // The object carries stderr's message word for word, every line of it.
        std::string message = r.err.substr(std::string("nimo-cli: ").size());
        const std::string tryHelp = "\nTry 'nimo-cli --help'.\n";
        message.resize(message.size() - (c.rc == CLI_USAGE ? tryHelp.size() : 1));
        EXPECT_EQ(r.out,
                  "{\"error\":" + jsonString(message) + ",\"exit\":" + std::to_string(c.rc) + "}\n")
            << r.err;
    }
    EXPECT_EQ(runCliArgs({"--json", "--lang", "en"}).out,
              "{\"error\":\"no command given\",\"exit\":2}\n");
    // A value of another option that merely reads "--json" asks for nothing.
    const SCliResult record = runCliArgs({"--lang", "en", "info", "--record", "--json"});
    EXPECT_EQ(record.rc, CLI_USAGE);
    EXPECT_EQ(record.out, "");
}

TEST(CliMessages, SpeakTheChosenLanguagePieceByPiece)
{
    CLanguageScope restore(LANG_PL);
    // The language counts even when it is named after the mistake.
    const SCliResult de = runCliArgs({"frobnicate", "--lang", "de"});
    EXPECT_EQ(de.rc, CLI_USAGE);
    EXPECT_EQ(de.err, "nimo-cli: unbekannter Befehl 'frobnicate'\nSiehe 'nimo-cli --help'.\n");
    const SCliResult pl = runCliArgs({"--lang=pl", "info", "--count", "x"});
    EXPECT_EQ(pl.err, "nimo-cli: --count przyjmuje liczbę całkowitą większą od 0, a nie 'x'\n"
                      "Spróbuj 'nimo-cli --help'.\n");

    const SCliResult key = runCliArgs({"--demo", "--lang", "de", "set", "m_bogus=1"});
    EXPECT_EQ(key.rc, CLI_USAGE);
    EXPECT_EQ(key.err, "nimo-cli: unbekannter Schlüssel 'm_bogus' ('nimo-cli settings' listet die "
                       "Schlüssel auf)\n");
    const SCliResult value = runCliArgs({"--demo", "--lang", "pl", "set", "m_switchRPM=fast"});
    EXPECT_EQ(value.rc, CLI_REFUSED);
    EXPECT_EQ(value.err, "nimo-cli: m_switchRPM=fast: to nie jest liczba\n");
    EXPECT_EQ(value.out, "");
}

TEST(CliMessages, PortReasonsTranslatedWhileJsonKeepsTheSystemsWords)
{
    CLanguageScope de(LANG_DE);
    EXPECT_EQ(cliPortProblem("/dev/ttyUSB0", ENOENT),
              "/dev/ttyUSB0: Datei oder Verzeichnis nicht gefunden; kein solches Gerät; ist das "
              "Kabel eingesteckt?");
    EXPECT_EQ(cliPortProblemUntranslated("/dev/ttyUSB0", EACCES),
              "/dev/ttyUSB0: Permission denied; add your user to the dialout group, then log in "
              "again");
    // A rarer error in our words, the system's (untranslated) only after them.
    EXPECT_EQ(cliPortProblem("/dev/x", EINVAL),
              "/dev/x: " + translate("nie można go użyć") + " (" + std::strerror(EINVAL) + ")");
    // In English a translated reason reads exactly as the system words it,
    // so a fitter's search for the message finds the usual advice.
    setCurrentLanguage(LANG_EN);
    for (int err : {0, EACCES, EPERM, EBUSY, ENOENT, ENODEV, ENXIO, ENOTTY, EIO})
        EXPECT_EQ(cliPortProblem("/dev/x", err), cliPortProblemUntranslated("/dev/x", err)) << err;
}

TEST(CliHelp, EveryCommandHasAManualPage)
{
    for (const SCliCommand& entry : cliCommandTable()) {
        const std::string cmd = entry.name;
        const std::string page = cliCommandHelp(cmd);
        ASSERT_FALSE(page.empty()) << cmd;
        EXPECT_NE(page.find("SYNOPSIS"), std::string::npos) << cmd;
        EXPECT_NE(page.find("nimo-cli " + cmd), std::string::npos) << cmd;
        EXPECT_NE(cliUsage().find("  " + cmd), std::string::npos) << cmd;
        const SCliResult r = runCliArgs({"help", cmd});
        EXPECT_EQ(r.rc, CLI_OK);
        EXPECT_EQ(r.out, page);
        EXPECT_EQ(runCliArgs({cmd, "--help"}).out, page) << cmd;
    }
    EXPECT_NE(cliCommandHelp("monitor").find("EXIT STATUS"), std::string::npos);
    const SCliResult v = runCliArgs({"--version"});
    EXPECT_EQ(v.rc, CLI_OK);
    EXPECT_EQ(v.out.rfind("nimo-cli ", 0), 0u);
}

TEST(FuelSensorCheck, ThresholdsMustRunOneWay)
{
    setCurrentLanguage(LANG_PL);
    std::string message;
    EXPECT_FALSE(checkFuelThresholds({10, 20, 20, 30}, &message));
    EXPECT_EQ(message, "Nieprawidłowe wartości.\n"
                       "Powinny być wprowadzone w porządku rosnącym lub malejącym.");
    EXPECT_FALSE(checkFuelThresholds({10, 10, 20, 30}));
    EXPECT_FALSE(checkFuelThresholds({10, 30, 20, 40}));
    EXPECT_FALSE(checkFuelThresholds({7, 7, 7, 7}));
    EXPECT_TRUE(checkFuelThresholds({30, 20, 10, 5}));
    EXPECT_TRUE(checkFuelThresholds({0, 1, 2, 255}));
    for (const SFuelSensorType& type : fuelSensorTypes()) {
        if (type.preset) {
            EXPECT_TRUE(checkFuelThresholds(type.thresholds)) << type.name;
        }
    }
}

TEST(FuelSensorCheck, TypesParsingAndRecordOrder)
{
    EXPECT_STREQ(matchFuelSensorType({255, 253, 249, 241}).name, "AEB1050");
    EXPECT_STREQ(matchFuelSensorType({255, 253, 249, 240}).name, "Inny");
    EXPECT_STREQ(matchFuelSensorType({103, 106, 112, 119}).name, "90 ohm");
    ASSERT_NE(findFuelSensorType("LOVATO MV305 DX"), nullptr);
    EXPECT_EQ(findFuelSensorType("nosuch"), nullptr);

    SFuelThresholds t{1, 2, 3, 4};
    EXPECT_TRUE(parseFuelThresholds("103,106,112,119", t));
    EXPECT_EQ(t, (SFuelThresholds{103, 106, 112, 119}));
    for (const char* bad :
         {"1,2,3", "1,2,3,4,5", "1,2,3,256", "1,,3,4", "a,b,c,d", "1,2,3,4 ", "-1,2,3,4", ""})
        EXPECT_FALSE(parseFuelThresholds(bad, t)) << bad;
    EXPECT_EQ(t, (SFuelThresholds{103, 106, 112, 119}));

    // Threshold 3 travels first.
    const auto rec = fuelRecordOrder({103, 106, 112, 119});
    EXPECT_EQ(rec, (std::array<std::uint8_t, 4>{119, 112, 106, 103}));
    EXPECT_EQ(fuelThresholdsOf(rec.data()), (SFuelThresholds{103, 106, 112, 119}));
}

TEST(ConsoleShell, LastPortLivesInTheSharedFileBesideOtherKeys)
{
    CCliTempDir dir;
    const std::string conf = dir.file("sub/Nimo/nimo.conf");
    std::ostringstream err;
    CConsoleShell shell(err, conf);
    EXPECT_EQ(shell.lastPort(), 0);
    std::filesystem::create_directories(dir.file("sub/Nimo"));
    std::ofstream(conf) << "[General]\nOther=1\nLast%20RS%20nr=junk\n";
    EXPECT_EQ(shell.lastPort(), 0); // unreadable counts as none
    shell.storeLastPort(3);
    EXPECT_EQ(shell.lastPort(), 3);
    std::ifstream in(conf);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(all, "[General]\nLast%20RS%20nr=3\nOther=1\n");

    CConsoleShell memoryOnly(err, "");
    memoryOnly.storeLastPort(5);
    EXPECT_EQ(memoryOnly.lastPort(), 5);
    EXPECT_EQ(CConsoleShell::defaultConfigPath(), dir.path() + "/config/Nimo/nimo.conf");

    shell.errorBox("Błąd");
    EXPECT_EQ(err.str(), "nimo-cli: Błąd\n");
    EXPECT_EQ(shell.errorCount(), 1);
}

TEST(ConsoleShell, PortFromTheOldFileIsTakenOverOnce)
{
    CCliTempDir dir;
    const std::string conf = dir.file("config/Nimo/nimo.conf");
    const std::string old = dir.file("config/nimo/nimo-cli.conf");
    EXPECT_EQ(CConsoleShell::legacyConfigPath(conf), old);
    std::filesystem::create_directories(dir.file("config/nimo"));
    std::ofstream(old) << "Something=else\nLast RS nr=4\n";
    std::ostringstream err;
    CConsoleShell shell(err, conf);
    EXPECT_EQ(shell.lastPort(), 4);
    EXPECT_EQ(CUserConfig(conf).lastPort(), 4); // now in the shared file
    std::ofstream(old) << "Last RS nr=6\n";
    EXPECT_EQ(shell.lastPort(), 4);

    // A value of the shared file wins even when it cannot be read.
    std::ofstream(conf) << "[General]\nLast%20RS%20nr=junk\n";
    EXPECT_EQ(shell.lastPort(), 0);
}

namespace {

diag_t sampleRecord(std::uint16_t period)
{
    diag_t r{};
    r.workMode = 3;
    r.fuel = 3;
    r.reducerTemp = 120; // 40 °C
    r.lpgTemp = 127;     // 37 °C
    r.supply = 120;      // 14.12 V
    r.lambda = 51;       // 1.0 V
    r.gasPressure = 110;
    r.manifoldPressure = 50;
    r.fuelLevel = 135;
    r.enginePeriod = period;
    r.channels[0] = {123, 40, 0, 0};         // 3.075 ms, +1 ms
    r.channels[1] = {100, 65535 - 40, 0, 0}; // 2.5 ms, -1 ms
    return r;
}

void writeRecording(const std::string& path, const std::vector<diag_t>& recs, int extraBytes = 0)
{
    CDiagFile f;
    ASSERT_TRUE(f.open(path, true));
    for (const diag_t& r : recs)
        ASSERT_TRUE(f.write(r));
    f.close();
    std::ofstream(path, std::ios::app | std::ios::binary) << std::string(extraBytes, 'x');
}

} // namespace

TEST(CliReplay, PrintsEveryRecordInEachFormat)
{
    CLanguageScope restore(LANG_PL);
    CCliTempDir dir;
    const std::string rec = dir.file("r.bin");
    writeRecording(rec, {sampleRecord(6000), sampleRecord(60000)}, 10);

    const SCliResult text = runCliArgs({"--lang", "en", "replay", rec});
    ASSERT_EQ(text.rc, CLI_OK) << text.err;
    const auto lines = splitLines(text.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 22), "rpm\tpetrol_ms1\tpetrol_");
    // 4800000 / 6000 = 800 rpm; the second record's 80 rpm shows as 0.
    EXPECT_EQ(lines[1], "800\t3.075\t2.5\t0\t0\t0\t0\t0\t0\t4.075\t1.5\t0\t0\t0\t0\t0\t0\t"
                        "97.8\t39\t40\t37\t14.12\t1\t3\t3\t135");
    EXPECT_EQ(lines[2].substr(0, 2), "0\t");
    EXPECT_NE(text.err.find("bytes after the last whole record ignored: 10"), std::string::npos);

    const SCliResult csv = runCliArgs({"replay", rec, "--csv"});
    const auto csvLines = splitLines(csv.out);
    ASSERT_EQ(csvLines.size(), 3u);
    EXPECT_EQ(csvLines[0].find('\t'), std::string::npos);
    EXPECT_EQ(csvLines[0].substr(0, 22), "rpm,petrol_ms1,petrol_");
    EXPECT_EQ(csvLines[1].substr(0, 14), "800,3.075,2.5,");

    const SCliResult json = runCliArgs({"--json", "replay", rec});
    const auto jsonLines = splitLines(json.out);
    ASSERT_EQ(jsonLines.size(), 2u);
    for (const std::string& l : jsonLines)
        EXPECT_TRUE(CJsonCheck::valid(l)) << l;
    EXPECT_EQ(jsonLines[0].rfind(R"({"rpm":800,"petrol_ms":[3.075,2.5,0,0,0,0,0,0],)"
                                 R"("lpg_ms":[4.075,1.5,0,0,0,0,0,0],"gas_kpa":97.8,)",
                                 0),
              0u);
    EXPECT_NE(jsonLines[0].find(R"("work_mode":3,"fuel":3,"level":135})"), std::string::npos);
}

TEST(CliReplay, RefusesWhatIsNotARecordingWithItsReason)
{
    CLanguageScope restore(LANG_PL);
    CCliTempDir dir;
    const std::string bad = dir.file("bad.bin");
    std::ofstream(bad, std::ios::binary) << std::string("\x02\0\0\0\0\0\0\0", 8);
    const std::string fifo = dir.file("fifo.bin");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        std::string says;
        const char* lang = "en";
    } cases[] = {
        {bad, ": not a recording (cannot be read, or not format version 1)"},
        {dir.path(), ": not a regular file"},
        {fifo, ": not a regular file"}, // refused, not waited on
        {dir.file("missing.bin"),
         ": die Datei kann nicht geöffnet werden (No such file or directory)", "de"},
    };
    for (const auto& c : cases) {
        const SCliResult r = runCliArgs({"--lang", c.lang, "replay", c.path});
        EXPECT_EQ(r.rc, CLI_REFUSED) << c.path;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "nimo-cli: " + c.path + c.says + "\n");
    }
}

namespace {

// An output that takes nothing, failing every write with `err`: a full disk,
// or a pipe whose reader went away.
class CFailingOutput : public std::streambuf {
public:
    explicit CFailingOutput(int err) : m_err(err) {}

protected:
    int overflow(int) override
    {
        errno = m_err;
        return traits_type::eof();
    }
    std::streamsize xsputn(const char*, std::streamsize) override
    {
        errno = m_err;
        return 0;
    }

private:
    int m_err;
};

} // namespace

TEST(CliOutput, AnOutputThatCannotBeWrittenFailsTheCommand)
{
    CLanguageScope restore(LANG_PL);
    CCliTempDir dir;
    const std::string rec = dir.file("r.bin");
    writeRecording(rec, {sampleRecord(6000), sampleRecord(6000)}, 0);
    for (const std::vector<std::string>& line : {std::vector<std::string>{"--demo", "settings"},
                                                 {"replay", rec, "--csv"},
                                                 {"texts"},
                                                 {"--demo", "--json", "monitor", "--count", "3"}}) {
        for (const int err : {ENOSPC, EPIPE}) {
            std::vector<std::string> args = {"nimo-cli", "--lang", "en"};
            args.insert(args.end(), line.begin(), line.end());
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            CFailingOutput sink(err);
            std::ostream out(&sink);
            std::ostringstream messages;
            const int rc = runCli(static_cast<int>(argv.size()), argv.data(), out, messages);
            EXPECT_EQ(rc, CLI_FAILED) << line.back();
            // A reader that stopped reading asked for it; a full disk is news.
            EXPECT_EQ(messages.str().find("nimo-cli: cannot write the standard output (No space "
                                          "left on device)\n") != std::string::npos,
                      err == ENOSPC)
                << messages.str();
        }
    }
}

TEST(CliTexts, DictionaryRowsInTheChosenLanguage)
{
    const SCliResult r = runCliArgs({"texts", "--lang", "en"});
    ASSERT_EQ(r.rc, CLI_OK);
    const auto lines = splitLines(r.out);
    EXPECT_EQ(lines.size(), translationDictionary().size());
    EXPECT_EQ(lines.front(), "Koniec\tEnd");
    for (const std::string& l : lines)
        EXPECT_EQ(std::count(l.begin(), l.end(), '\t'), 1) << l;

    const SCliResult de = runCliArgs({"--json", "--lang=de", "texts"});
    EXPECT_TRUE(CJsonCheck::valid(de.out));
    EXPECT_NE(de.out.find(R"({"pl":"Koniec","de":"Ende"})"), std::string::npos);
    setCurrentLanguage(LANG_PL);
}
