#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "link/CPortList.h"

namespace fs = std::filesystem;

namespace {

class PortListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = CPortList::userPaths();
        m_root = fs::temp_directory_path() / ("nimo-ports-" + std::to_string(::getpid()));
        fs::create_directories(dev());
        fs::create_directories(sys());
    }
    void TearDown() override
    {
        CPortList::setUserPaths(m_saved);
        fs::remove_all(m_root);
    }

    std::string dev() const { return (m_root / "dev").string(); }
    std::string sys() const { return (m_root / "sys").string(); }
    void node(const std::string& name) { std::ofstream(dev() + "/" + name).put('\0'); }
    void uartType(const std::string& name, const char* type)
    {
        fs::create_directories(sys() + "/" + name);
        std::ofstream(sys() + "/" + name + "/type") << type << "\n";
    }

    fs::path m_root;
    std::vector<std::string> m_saved;
};

} // namespace

TEST(PortOrder, NumbersInNamesCompareByValue)
{
    EXPECT_TRUE(CPortList::naturalLess("ttyUSB2", "ttyUSB10"));
    EXPECT_FALSE(CPortList::naturalLess("ttyUSB10", "ttyUSB2"));
    EXPECT_TRUE(CPortList::naturalLess("ttyS9", "ttyS11"));
    EXPECT_TRUE(CPortList::naturalLess("ttyACM0", "ttyACM00")); // same value, shorter first
    EXPECT_FALSE(CPortList::naturalLess("ttyUSB3", "ttyUSB3"));
    EXPECT_TRUE(
        CPortList::naturalLess("ttyUSB99999999999999999999", "ttyUSB100000000000000000000"));
}

TEST_F(PortListTest, AdaptersComeFirstThenOnlyRealUarts)
{
    for (const char* n : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS3", "tty0",
                          "ttyUSB", "ttyUSB0.lock", "console"})
        node(n);
    uartType("ttyS0", "4"); // a 16550A
    uartType("ttyS1", "0"); // a node with no UART behind it
    // ttyS3 has no sysfs entry at all: nothing vouches for it

    const std::vector<std::string> want = {dev() + "/ttyUSB2", dev() + "/ttyUSB10",
                                           dev() + "/ttyACM0", dev() + "/ttyS0"};
    EXPECT_EQ(CPortList::scan(dev(), sys()), want);
}

TEST_F(PortListTest, UserPathsLeadAndNumberFromOne)
{
    CPortList::setUserPaths({"/tmp/nimo-a", "/tmp/nimo-b", "/tmp/nimo-a", ""});
    EXPECT_EQ(CPortList::userPaths(), (std::vector<std::string>{"/tmp/nimo-a", "/tmp/nimo-b"}));
    CPortList::addUserPath("/tmp/nimo-b");
    CPortList::addUserPath("/tmp/nimo-c");

    const auto list = CPortList::ports();
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list[0], "/tmp/nimo-a");
    EXPECT_EQ(list[2], "/tmp/nimo-c");
    EXPECT_EQ(std::count(list.begin(), list.end(), "/tmp/nimo-b"), 1);

    EXPECT_EQ(CPortList::pathOf(1), "/tmp/nimo-a");
    EXPECT_EQ(CPortList::pathOf(0), "");
    EXPECT_EQ(CPortList::pathOf(-3), "");
    EXPECT_EQ(CPortList::pathOf(static_cast<int>(list.size()) + 1), "");
    EXPECT_EQ(CPortList::numberOf("/tmp/nimo-c"), 3);
    EXPECT_EQ(CPortList::numberOf("/tmp/nimo-unlisted"), 0);
}
