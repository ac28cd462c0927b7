#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "data/CUserConfig.h"

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for one scope; nullptr unsets it.
class CEnvScope {
public:
    CEnvScope(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~CEnvScope()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    CEnvScope(const CEnvScope&) = delete;
    CEnvScope& operator=(const CEnvScope&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class UserConfig : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string templ = (fs::temp_directory_path() / "nimo-conf-XXXXXX").string();
        ASSERT_NE(::mkdtemp(templ.data()), nullptr);
        m_dir = templ;
        m_file = (m_dir / "Nimo" / "nimo.conf").string();
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    void writeRaw(const std::string& bytes) const
    {
        fs::create_directories(fs::path(m_file).parent_path());
        std::ofstream(m_file, std::ios::binary) << bytes;
    }
    std::string readRaw() const
    {
        std::ifstream in(m_file, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }

    fs::path m_dir;
    std::string m_file;
};

// Each text as the desktop application's settings store writes it; the
// bytes were taken from that store.
TEST_F(UserConfig, AwkwardNamesAreWrittenAsTheApplicationWritesThem)
{
    struct SCase {
        const char* text;
        const char* stored;
    };
    const SCase cases[] = {
        {"Auto-Gaz \xE2\x80\x9E"
         "Krak\xC3\xB3w\xE2\x80\x9D",
         "Auto-Gaz \xE2\x80\x9E"
         "Krak\xC3\xB3w\xE2\x80\x9D"},      // UTF-8 as it stands
        {"Gaz, Serwis", "\"Gaz, Serwis\""}, // a comma would make a list
        {"a;b", "\"a;b\""},                 // ";" would start a comment
        {"k=v", "\"k=v\""},
        {"  two in front", "\"  two in front\""}, // blanks at either end are quoted
        {"behind ", "\"behind \""},
        {"in  between", "in  between"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\Gaz\\", "C:\\\\Gaz\\\\"},
        {"", ""},
        {"@home", "@@home"}, // not a type prefix
        {"tab\tnl\n\x01"
         "1a",
         "tab\\tnl\\n\\x1\\x31\\x61"},            // hex digits after \x1 too
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"}, // outside the BMP
    };
    CUserConfig config(m_file);
    ASSERT_TRUE(config.storeLastPort(3));
    for (const SCase& c : cases) {
        ASSERT_TRUE(config.storeMountServiceName(c.text)) << c.text;
        EXPECT_EQ(readRaw(), std::string("[General]\nLast%20RS%20nr=3\nMount%20Service%20Name=") +
                                 c.stored + "\n");
        EXPECT_EQ(config.mountServiceName(), c.text);
        EXPECT_EQ(config.lastPort(), 3);
    }
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "Nimo"), fs::directory_iterator()), 1);
}

TEST_F(UserConfig, KeysAndSectionsItDoesNotKnowAreKept)
{
    // In the store's own form, as the application would leave it.
    const std::string theirs = "[General]\n"
                               "Alpha=1\n"
                               "recent=a.ssf, b.ssf\n"
                               "\n"
                               "[Window]\n"
                               "geometry=@ByteArray(\\x1\\xd9\\0\\x32)\n"
                               "size=@Size(640 480)\n";
    writeRaw(theirs);
    ::chmod(m_file.c_str(), 0600);
    CUserConfig config(m_file);
    ASSERT_TRUE(config.storeLastPort(7));
    // Keys sort by code unit, so upper case comes first.
    EXPECT_EQ(readRaw(), "[General]\n"
                         "Alpha=1\n"
                         "Last%20RS%20nr=7\n"
                         "recent=a.ssf, b.ssf\n"
                         "\n"
                         "[Window]\n"
                         "geometry=@ByteArray(\\x1\\xd9\\0\\x32)\n"
                         "size=@Size(640 480)\n");
    struct stat info {};
    ASSERT_EQ(::stat(m_file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u); // replacing keeps a private file private

    // What the store itself drops on rewriting goes too: comments, lines
    // without "=", blanks around keys; sections come in name order.
    writeRaw(
        "; written by hand\n[Zed]\n z = 1 \njunk\n[general]\nMount Service Name = Gaz ; note\n");
    ASSERT_TRUE(config.storeLastPort(2));
    EXPECT_EQ(readRaw(), "[General]\nLast%20RS%20nr=2\nMount%20Service%20Name=Gaz\n\n[Zed]\nz=1\n");
}

// Read as the application reads them, so both programs see the same value.
TEST_F(UserConfig, ValuesReadAsTheApplicationReadsThem)
{
    struct SCase {
        const char* port;
        int lastPort;
        const char* name;
        const char* mountServiceName;
    };
    const SCase cases[] = {
        {"\" 7 \"", 7, "\"Gaz, Serwis\"", "Gaz, Serwis"},
        {"+7", 7, "Gaz, Serwis", ""}, // an unquoted comma makes a list, and a list no text
        {"07", 7, "@@x", "@x"},
        {"7x", 0, "\\x142\\x107", "\xC5\x82\xC4\x87"}, // escapes count UTF-16 units
        {"-3", 0, "@ByteArray(\\xc5\\x82)", "\xC5\x82"},
        {"@Invalid()", 0, "@Invalid()", ""},
        {"99999999999", 0, "a\\u b", "a b"},     // an unknown escape drops its letter
        {"", 0, "\"open quote", "open quote\n"}, // runs to the end of the file
    };
    CUserConfig config(m_file);
    for (const SCase& c : cases) {
        writeRaw(std::string("[General]\nLast%20RS%20nr=") + c.port +
                 "\nMount%20Service%20Name=" + c.name + "\n");
        EXPECT_EQ(config.lastPort(), c.lastPort) << c.port;
        EXPECT_TRUE(config.hasLastPort());
        EXPECT_EQ(config.mountServiceName(), c.mountServiceName) << c.name;
    }
    // The last of two wins; case counts; a byte-order mark and CR LF are fine.
    writeRaw(
        "\xEF\xBB\xBF[General]\r\nLast%20RS%20nr=1\r\nlast%20rs%20nr=5\r\nLast%20RS%20nr=4\r\n");
    EXPECT_EQ(config.lastPort(), 4);
    // A value in a group of the same name is not the value.
    writeRaw("[Other]\nLast%20RS%20nr=4\n");
    EXPECT_EQ(config.lastPort(), 0);
    EXPECT_FALSE(config.hasLastPort());
}

TEST_F(UserConfig, MissingGarbageAndUnreadableFiles)
{
    CUserConfig config(m_file);
    EXPECT_EQ(config.lastPort(), 0);
    EXPECT_EQ(config.mountServiceName(), "");
    EXPECT_FALSE(config.hasLastPort());
    ASSERT_TRUE(config.storeMountServiceName("Gaz")); // creates the folder
    EXPECT_EQ(readRaw(), "[General]\nMount%20Service%20Name=Gaz\n");

    const char garbage[] = "\xFF\xFE\0[[[==\n\"never closed\n=\\";
    writeRaw(std::string(garbage, sizeof garbage - 1));
    EXPECT_EQ(config.lastPort(), 0);
    EXPECT_EQ(config.mountServiceName(), "");
    ASSERT_TRUE(config.storeLastPort(2));
    EXPECT_EQ(config.lastPort(), 2);

    // Something that cannot be read is not replaced by a file without it.
    fs::remove(m_file);
    fs::create_directories(m_file);
    EXPECT_EQ(config.lastPort(), 0);
    EXPECT_FALSE(config.storeLastPort(3));
    EXPECT_TRUE(fs::is_directory(m_file));

    CUserConfig nowhere("");
    EXPECT_EQ(nowhere.lastPort(), 0);
    EXPECT_FALSE(nowhere.storeLastPort(3));
}

TEST_F(UserConfig, LocationsFollowTheXdgVariables)
{
    const std::string dir = m_dir.string();
    {
        CEnvScope config("XDG_CONFIG_HOME", (dir + "/cfg").c_str());
        CEnvScope data("XDG_DATA_HOME", (dir + "/data").c_str());
        EXPECT_EQ(CUserConfig::defaultPath(), dir + "/cfg/Nimo/nimo.conf");
        EXPECT_EQ(CUserConfig().path(), dir + "/cfg/Nimo/nimo.conf");
        EXPECT_EQ(CUserConfig::settingsDirectory(), dir + "/data/Nimo/nimo/Settings/");
        EXPECT_TRUE(fs::is_directory(dir + "/data/Nimo/nimo/Settings"));
    }
    {
        CEnvScope config("XDG_CONFIG_HOME", "");
        CEnvScope data("XDG_DATA_HOME", nullptr);
        CEnvScope home("HOME", dir.c_str());
        EXPECT_EQ(CUserConfig::defaultPath(), dir + "/.config/Nimo/nimo.conf");
        EXPECT_EQ(CUserConfig::settingsDirectory(), dir + "/.local/share/Nimo/nimo/Settings/");
        EXPECT_TRUE(fs::is_directory(dir + "/.local/share/Nimo/nimo/Settings"));
    }
    {
        // A folder that cannot be made is still named; saving there reports it.
        writeRaw("");
        CEnvScope data("XDG_DATA_HOME", m_file.c_str());
        EXPECT_EQ(CUserConfig::settingsDirectory(), m_file + "/Nimo/nimo/Settings/");
    }
    CEnvScope config("XDG_CONFIG_HOME", nullptr);
    CEnvScope data("XDG_DATA_HOME", nullptr);
    CEnvScope home("HOME", nullptr);
    EXPECT_EQ(CUserConfig::defaultPath(), "");
    EXPECT_EQ(CUserConfig::settingsDirectory(), "");
}

} // namespace
