// The shared configuration against the real QSettings: what one writes the
// other reads, and a rewrite by either gives the same bytes.
#include <algorithm>
#include <cstdlib>
#include <string>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSize>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "data/CUserConfig.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

std::string toStd(const QString& s)
{
    const QByteArray utf8 = s.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

// QSettings learns the configuration home once per process, so the whole
// suite shares one temporary home. It also keeps files it has read and only
// notices a change by size or millisecond time stamp, so every case below
// works on a file of its own name.
class UserConfigCompat : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_home = new QTemporaryDir();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(s_home->path() + "/config"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(s_home->path() + "/data"));
    }
    static void TearDownTestSuite()
    {
        delete s_home;
        s_home = nullptr;
    }
    void SetUp() override { QDir(s_home->path() + "/config").removeRecursively(); }

    static QString freshPath()
    {
        static int count = 0;
        return s_home->path() + "/config/Nimo/case-" + QString::number(++count) + ".conf";
    }

    // The same change made by QSettings to a copy of the file.
    static QByteArray qtRewrite(const QByteArray& before, const char* key, const QVariant& value)
    {
        const QString copy = freshPath();
        writeAll(copy, before);
        {
            QSettings settings(copy, QSettings::IniFormat);
            settings.setValue(key, value);
        }
        return readAll(copy);
    }

    static QTemporaryDir* s_home;
};

QTemporaryDir* UserConfigCompat::s_home = nullptr;

TEST_F(UserConfigCompat, BothUseTheSameFile)
{
    const QString path = QSettings("Nimo", "nimo").fileName();
    EXPECT_EQ(path, s_home->path() + "/config/Nimo/nimo.conf");
    EXPECT_EQ(CUserConfig::defaultPath(), toStd(path));
    {
        QSettings settings("Nimo", "nimo");
        settings.setValue("Last RS nr", 5);
    }
    EXPECT_EQ(CUserConfig().lastPort(), 5);
    ASSERT_TRUE(CUserConfig().storeLastPort(12)); // another size, so QSettings reads afresh
    EXPECT_EQ(QSettings("Nimo", "nimo").value("Last RS nr").toInt(), 12);
}

const char* const kAwkward[] = {
    "Auto-Gaz \xE2\x80\x9E"
    "Krak\xC3\xB3w\xE2\x80\x9D",
    "Gaz, Serwis; Nr=1",
    "  both ends  ",
    "say \"hi\" \\ there\\",
    "",
    "@home",
    "@ByteArray(not bytes)",
    "tab\tnl\nbell\a\x01"
    "1f\x7F"
    "end",
    "\xF0\x9F\x98\x80 \xC5\x82",
    "#; not a comment",
};

TEST_F(UserConfigCompat, QtWritesAndTheCoreReads)
{
    for (const char* name : kAwkward) {
        const QString path = freshPath();
        {
            QSettings settings(path, QSettings::IniFormat);
            settings.setValue("Last RS nr", 6);
            settings.setValue("Mount Service Name", QString::fromUtf8(name));
            settings.setValue("Window/geometry", QByteArray("\x01\xd9\x00\x32", 4));
            settings.setValue("recent", QStringList{"a.ssf", "b, c.ssf"});
        }
        const CUserConfig config(toStd(path));
        EXPECT_EQ(config.lastPort(), 6);
        EXPECT_EQ(config.mountServiceName(), name);
    }
    const QString path = freshPath();
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue("Last RS nr", QString("4"));
    }
    EXPECT_EQ(CUserConfig(toStd(path)).lastPort(), 4);
    EXPECT_EQ(CUserConfig(toStd(path)).mountServiceName(), "");
}

TEST_F(UserConfigCompat, TheCoreWritesWhatQtWouldAndQtReadsIt)
{
    for (const char* name : kAwkward) {
        const QString path = freshPath();
        {
            QSettings settings(path, QSettings::IniFormat);
            settings.setValue("Alpha", 1);
            settings.setValue("recent", QStringList{"a.ssf", "b, c.ssf"});
            settings.setValue("Window/geometry", QByteArray("\x01\xd9\x00\x32", 4));
            settings.setValue("Window/size", QSize(640, 480));
            settings.setValue("General/odd group", "x"); // a group, not [General]
        }
        const QByteArray before = readAll(path);
        const QByteArray withName =
            qtRewrite(before, "Mount Service Name", QString::fromUtf8(name));
        CUserConfig config(toStd(path));
        ASSERT_TRUE(config.storeMountServiceName(name));
        EXPECT_EQ(readAll(path), withName) << name;
        const QByteArray withPort = qtRewrite(withName, "Last RS nr", 3);
        ASSERT_TRUE(config.storeLastPort(3));
        EXPECT_EQ(readAll(path), withPort) << name;

        // A new name, so QSettings cannot answer from what it read before.
        const QString reread = freshPath();
        ASSERT_TRUE(QFile::copy(path, reread));
        QSettings settings(reread, QSettings::IniFormat);
        EXPECT_EQ(settings.value("Mount Service Name").toString(), QString::fromUtf8(name));
        EXPECT_EQ(settings.value("Last RS nr").toInt(), 3);
        EXPECT_EQ(settings.value("Window/geometry").toByteArray(),
                  QByteArray("\x01\xd9\x00\x32", 4));
        EXPECT_EQ(settings.value("Window/size").toSize(), QSize(640, 480));
        EXPECT_EQ(settings.value("recent").toStringList(), (QStringList{"a.ssf", "b, c.ssf"}));
    }
}

// Files written by hand: both must read the same and rewrite them alike.
TEST_F(UserConfigCompat, HandWrittenFilesReadAndRewriteAlike)
{
    const char* const files[] = {
        "[General]\nLast%20RS%20nr=\" 5 \"\nMount%20Service%20Name=Gaz, Serwis\n",
        "; by hand\n[general]\n Last RS nr = +2 ; the van\nMount Service Name=\"a, b\" c \n",
        "\xEF\xBB\xBF[General]\r\nLast%20RS%20nr=1\r\nLast%20RS%20nr=07\r\n[Zed]\r\nk=v\r\n",
        "[General]\nMount%20Service%20Name=\\x142\\102\\u\\q ok\\\n  next\nLast%20RS%20nr=-4\n",
        "[General]\nMount%20Service%20Name=\"open\nLast%20RS%20nr=2\n",
        "[General]\nMount%20Service%20Name=@@x\nLast%20RS%20nr=@Invalid()\nz=@Foo\n",
        "[General]\nMount%20Service%20Name=@String(a)\nrecent=@Invalid(), @@y, x\n",
        "[Other]\nLast%20RS%20nr=3\n[General]\nsub\\key=1\n[a\\b]\nc=d\n[%General]\ne=f\n",
        "Last%20RS%20nr=7x\nMount%20Service%20Name=@ByteArray(\\xc5\\x82)\n[]\nq=r\n",
        "[General]\nMount%20Service%20Name=%zz = \"\"\nbad line\n=empty key\n",
        // Broken UTF-8: cut short, overlong, no lead byte, an encoded surrogate.
        "[General]\nMount%20Service%20Name=\xE2\x80"
        "a\xC0\xAF\xFF\xED\xA0\x80z\n",
    };
    for (const char* file : files) {
        const QString path = freshPath();
        writeAll(path, file);
        QSettings settings(path, QSettings::IniFormat);
        CUserConfig config(toStd(path));
        EXPECT_EQ(config.mountServiceName(), toStd(settings.value("Mount Service Name").toString()))
            << file;
        EXPECT_EQ(config.lastPort(), std::max(0, settings.value("Last RS nr").toInt())) << file;
        EXPECT_EQ(config.hasLastPort(), settings.contains("Last RS nr")) << file;

        const QByteArray expected = qtRewrite(file, "Last RS nr", 6);
        ASSERT_TRUE(config.storeLastPort(6));
        EXPECT_EQ(readAll(path), expected) << file;
    }
}

TEST_F(UserConfigCompat, SettingsDirectoryIsTheApplicationDataFolder)
{
    const QString organisation = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName("Nimo");
    QCoreApplication::setApplicationName("nimo");
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setOrganizationName(organisation);
    QCoreApplication::setApplicationName(application);
    EXPECT_EQ(CUserConfig::settingsDirectory(), toStd(data + "/Settings/"));
    EXPECT_TRUE(QDir(data + "/Settings").exists());
}

} // namespace
