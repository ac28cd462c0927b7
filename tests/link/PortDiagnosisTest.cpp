#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "lang/LanguageScope.h"
#include "link/CPortList.h"
#include "link/CSerialPort.h"
#include "link/PortDiagnosis.h"

namespace fs = std::filesystem;

namespace {

bool contains(const std::string& s, const std::string& part)
{
    return s.find(part) != std::string::npos;
}

// A temporary /dev and /proc of our own, and a pseudo-terminal that stands in
// for a serial device: nothing of the real machine is looked at.
class PortDiagnosisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("nimo-diag-" + std::to_string(::getpid()));
        fs::create_directories(dev());
        fs::create_directories(m_root / "proc");
        m_probe.procDir = (m_root / "proc").string();
        m_probe.testLink = false;
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(::grantpt(m_master), 0);
        ASSERT_EQ(::unlockpt(m_master), 0);
        m_pty = ::ptsname(m_master);
    }
    void TearDown() override
    {
        ::close(m_master);
        fs::remove_all(m_root);
    }

    std::string dev() const { return (m_root / "dev").string(); }
    std::string devPath(const std::string& name) const { return dev() + "/" + name; }
    // A process of the fake /proc, optionally holding a device open.
    void process(int pid, const std::string& comm, const std::string& holds = {})
    {
        const fs::path dir = m_root / "proc" / std::to_string(pid);
        fs::create_directories(dir / "fd");
        std::ofstream(dir / "comm") << comm << "\n";
        if (!holds.empty())
            fs::create_symlink(holds, dir / "fd" / "7");
    }

    fs::path m_root;
    SPortProbe m_probe;
    int m_master = -1;
    std::string m_pty;
};

} // namespace

TEST_F(PortDiagnosisTest, EachPortSaysWhatStandsInTheWay)
{
    CLanguageScope english(LANG_EN);
    const std::string plain = devPath("plain");
    std::ofstream(plain) << "x";
    const std::string held = devPath("held");
    fs::create_symlink(m_pty, held);
    CSerialPort other;
    other.open(m_pty);
    process(4242, "minicom", m_pty);
    process(4243, "bash");

    const SPortSurvey s = diagnosePorts({devPath("gone"), plain, held}, m_probe);
    ASSERT_EQ(s.ports.size(), 3u);
    EXPECT_EQ(s.ports[0].number, 1);
    EXPECT_FALSE(s.ports[0].exists);
    EXPECT_EQ(s.ports[0].error, ENOENT);
    EXPECT_TRUE(contains(portProblemText(s.ports[0]), "is the cable plugged in?"));
    EXPECT_TRUE(s.ports[1].exists);
    EXPECT_FALSE(s.ports[1].opens);
    EXPECT_EQ(portProblemText(s.ports[1]), "this is not a serial device");
    // The holder is named, with what to do, and by its own name, not ours.
    EXPECT_EQ(s.ports[2].error, EBUSY);
    EXPECT_EQ(s.ports[2].holder, "minicom");
    EXPECT_EQ(portProblemText(s.ports[2]),
              "the program minicom (PID 4242) holds the port; close it and try again");

    // Without the lock the port opens, but a program that still has it open
    // garbles the line, so it is named all the same.
    other.close();
    const SPortSurvey after = diagnosePorts({m_pty}, m_probe);
    ASSERT_EQ(after.ports.size(), 1u);
    EXPECT_TRUE(after.ports[0].opens);
    EXPECT_EQ(after.ports[0].holder, "minicom");

    // Demonstration mode opens nothing and says so.
    SPortProbe demo = m_probe;
    demo.open = false;
    const SPortSurvey looked = diagnosePorts({plain, devPath("gone")}, demo);
    EXPECT_FALSE(looked.ports[0].tested);
    EXPECT_EQ(portProblemText(looked.ports[0]), "not checked");
    EXPECT_TRUE(contains(portProblemText(looked.ports[1]), "is the cable plugged in?"));
}

TEST_F(PortDiagnosisTest, SilentPortWithoutHolderAsksForCableAndPower)
{
    CLanguageScope german(LANG_DE);
    const SPortSurvey s = diagnosePorts({m_pty}, m_probe);
    ASSERT_EQ(s.ports.size(), 1u);
    EXPECT_TRUE(s.ports[0].opens);
    EXPECT_FALSE(s.ports[0].controller);
    EXPECT_TRUE(s.ports[0].holder.empty());
    EXPECT_TRUE(contains(portProblemText(s.ports[0]), "kein Steuergerät antwortet"));
    EXPECT_EQ(s.ports[0].taker, EPortTaker::None);
}

TEST_F(PortDiagnosisTest, ProgramsThatTakeUsbAdaptersAreBlamedOnlyWhereTheyCouldBe)
{
    CLanguageScope english(LANG_EN);
    const std::string acm = devPath("ttyACM0");
    fs::create_symlink(m_pty, acm);
    const std::vector<std::string> ports = {devPath("ttyUSB0"), acm, devPath("ttyS9")};

    // Nothing running: nobody is blamed.
    const SPortSurvey quiet = diagnosePorts(ports, m_probe);
    for (const SPortDiagnosis& d : quiet.ports)
        EXPECT_EQ(d.taker, EPortTaker::None) << d.path;
    EXPECT_FALSE(quiet.brltty);

    process(300, "brltty");
    process(301, "ModemManager");
    const SPortSurvey s = diagnosePorts(ports, m_probe);
    EXPECT_TRUE(s.brltty);
    EXPECT_TRUE(s.modemManager);
    // brltty makes an adapter's tty vanish; ModemManager talks to one that is there.
    EXPECT_EQ(s.ports[0].taker, EPortTaker::Brltty);
    EXPECT_EQ(s.ports[1].taker, EPortTaker::ModemManager);
    EXPECT_EQ(s.ports[2].taker, EPortTaker::None) << "an on-board UART is no adapter";
    EXPECT_TRUE(contains(portTakerText(EPortTaker::Brltty), "sudo apt remove brltty"));
    EXPECT_TRUE(contains(portTakerText(EPortTaker::Brltty), "udev rule"));
    EXPECT_TRUE(contains(portTakerText(EPortTaker::ModemManager), "ID_MM_DEVICE_IGNORE"));
    EXPECT_TRUE(contains(portTakerText(EPortTaker::ModemManager), "systemctl stop ModemManager"));
    EXPECT_EQ(portTakerText(EPortTaker::None), "");

    // An adapter is there (the ACM one), so no machine-wide note; without
    // any, brltty is named once for the whole machine.
    EXPECT_TRUE(surveyNotes(s).empty());
    const SPortSurvey none = diagnosePorts({devPath("ttyS9")}, m_probe);
    const std::vector<std::string> notes = surveyNotes(none);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0], "No USB adapter was found.");
    EXPECT_EQ(notes[1], portTakerText(EPortTaker::Brltty));
}

TEST(PortDiagnosisText, RefusedOpenNamesTheGroupToJoinAndLoggingInAgain)
{
    CLanguageScope english(LANG_EN);
    SPortDiagnosis d;
    d.path = "/dev/ttyUSB0";
    d.exists = true;
    d.tested = true;
    d.error = EACCES;
    d.group = "uucp";
    const std::string text = portProblemText(d);
    EXPECT_TRUE(contains(text, "add your user to the uucp group (sudo usermod -aG uucp $USER)"))
        << text;
    EXPECT_TRUE(contains(text, "log in again"));
    d.group.clear();
    EXPECT_TRUE(contains(portProblemText(d), "the dialout group"));
    // A failure after the port opened is told in the port error's own words.
    d.error = 0;
    d.opens = true;
    d.failure = "Nie można wykonać operacji na RS.";
    EXPECT_EQ(portProblemText(d), d.failure);
}

TEST_F(PortDiagnosisTest, ScanLooksAtTheLastPortThenOneToSeven)
{
    const std::vector<std::string> saved = CPortList::userPaths();
    CPortList::setSystemScan(false);
    std::vector<std::string> paths;
    for (int i = 1; i <= 9; ++i)
        paths.push_back(devPath("port" + std::to_string(i)));
    CPortList::setUserPaths(paths);

    const SPortSurvey s = diagnoseScan(9, m_probe);
    std::vector<int> numbers;
    for (const SPortDiagnosis& d : s.ports)
        numbers.push_back(d.number);
    EXPECT_EQ(numbers, (std::vector<int>{9, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(s.ports[0].path, paths[8]);
    // A last port within 1 to 7 is not looked at twice.
    EXPECT_EQ(diagnoseScan(3, m_probe).ports.size(), 7u);

    CPortList::setUserPaths(saved);
    CPortList::setSystemScan(true);
}
