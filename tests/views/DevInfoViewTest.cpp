#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/CAutrelDoc.h"
#include "data/CUserConfig.h"
#include "link/Protocol.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"
#include "views/CDevInfoView.h"

namespace {

using SMountBytes = std::array<std::uint8_t, 38>;

// The installation record as the controller keeps it, built by hand: the
// day number (from 1 April 2004) high byte first, then the workshop name,
// the injector size and the engine capacity NUL-padded at 2, 26 and 32.
SMountBytes mountBytes(const QDate& date, const char* name, const char* injSize, const char* engine)
{
    SMountBytes b{};
    const auto code = static_cast<std::uint16_t>(QDate(2004, 4, 1).daysTo(date));
    b[0] = static_cast<std::uint8_t>(code >> 8);
    b[1] = static_cast<std::uint8_t>(code & 0xFF);
    std::memcpy(&b[2], name, std::strlen(name));
    std::memcpy(&b[26], injSize, std::strlen(injSize));
    std::memcpy(&b[32], engine, std::strlen(engine));
    return b;
}

// Answers the next modal dialog as the fitter would; `seen` tells whether
// one came up at all.
void answerDialog(bool& seen, std::function<void(QDialog*)> answer)
{
    seen = false;
    QTimer::singleShot(0, [&seen, answer] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dlg == nullptr)
            return;
        seen = true;
        answer(dlg);
    });
}

void setField(QDialog* dlg, const char* id, const QString& text)
{
    auto* edit = dlg->findChild<QLineEdit*>(id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(text);
}

QString field(QDialog* dlg, const char* id)
{
    auto* edit = dlg->findChild<QLineEdit*>(id);
    return edit ? edit->text() : QStringLiteral("<none>");
}

class DevInfoViewEmu : public DeviceEmuTest {
protected:
    void SetUp() override
    {
        DeviceEmuTest::SetUp();
        doc.setTiming(kShortLinkTiming); // a refused write costs 50 ms an attempt
        CDevInfoView::setReloadCountdown(CDevInfoView::RELOAD_TICKS);
    }

    void open()
    {
        ASSERT_TRUE(doc.tryPort(1));
        view = std::make_unique<CDevInfoView>(doc, config);
        view->reloadSettings();
        view->refreshControls();
    }
    QStringList lines() const { return view->infoText().split('\n'); }
    void press(const char* id) { view->findChild<QPushButton*>(id)->click(); }
    std::uint64_t mountWrites() { return emu().counters().m_frames[MSG_TYPE_MOUNT_DATA]; }
    void tick(int n)
    {
        for (int i = 0; i < n; ++i)
            view->onDiagRecord(diag_t{});
    }

    QTemporaryDir dir;
    CUserConfig config{dir.filePath("nimo.conf").toStdString()};
    CAutrelDoc doc{shell};
    std::unique_ptr<CDevInfoView> view;
};

} // namespace

TEST_F(DevInfoViewEmu, ShowsTheControllersIdentityWorkTimesAndInstallationAndRereadsThem)
{
    emu().withState([](SEmuState& s) {
        s.m_versionWord = 0x030C;
        s.m_injCount = 6;
        s.m_gasHalfSeconds = 2 * 3600; // one hour
        s.m_lpgHalfSeconds = 119;      // not yet a minute
        s.m_mountData = mountBytes(QDate(2010, 3, 15), "Auto-Gaz Kraków", "2.0", "1598");
    });
    open();
    const QStringList shown = lines();
    ASSERT_EQ(shown.size(), 17) << view->infoText().toStdString();
    EXPECT_EQ(shown[0], "Wersja sterownika\t3.12");
    EXPECT_EQ(shown[2], "Ilość wtryskiwaczy\t6");
    EXPECT_EQ(shown[5], QString(91, '-'));
    EXPECT_EQ(shown[6], "Czas pracy - benzyna\t1 godz : 00 min");
    EXPECT_EQ(shown[8], "Czas pracy - LPG\t0 godz : 00 min");
    EXPECT_EQ(shown[10], "Data montażu\t15/03/2010");
    EXPECT_EQ(shown[12], "Nazwa zakładu montującego\tAuto-Gaz Kraków");
    EXPECT_EQ(shown[14], "Rozmiar wtryskiwaczy LPG [mm]\t2.0");
    EXPECT_EQ(shown[16], "Pojemność silnika [cm3]\t1598");
    EXPECT_EQ(view->windowTitle(), "Informacje o sterowniku");
    EXPECT_EQ(view->findChild<QPushButton*>("1041")->text(), "Kasuj dane montażowe");

    // The counters go on while the car runs: read again on the 50th tick,
    // and the countdown is the same for the next opening of the view.
    emu().withState([](SEmuState& s) { s.m_lpgHalfSeconds = 2 * 3600 * 12 + 2 * 60 * 5; });
    const std::uint64_t reads = emu().counters().m_commands[CMD_STATISTIC];
    tick(20);
    view = std::make_unique<CDevInfoView>(doc, config);
    view->refreshControls();
    tick(29);
    EXPECT_EQ(emu().counters().m_commands[CMD_STATISTIC], reads);
    EXPECT_EQ(lines()[8], "Czas pracy - LPG\t0 godz : 00 min");
    tick(1);
    EXPECT_EQ(emu().counters().m_commands[CMD_STATISTIC], reads + 1);
    EXPECT_EQ(lines()[8], "Czas pracy - LPG\t12 godz : 05 min");
    EXPECT_EQ(CDevInfoView::reloadCountdown(), CDevInfoView::RELOAD_TICKS);

    // A controller that stops answering the counters is not a box every 15
    // seconds; the text keeps what it showed.
    emu().ignoreCommand(CMD_STATISTIC);
    tick(CDevInfoView::RELOAD_TICKS);
    EXPECT_EQ(lines()[8], "Czas pracy - LPG\t12 godz : 05 min");
    EXPECT_TRUE(shell.errors().empty());
    // Opening the view does say so.
    view->reloadSettings();
    EXPECT_EQ(shell.errors(),
              std::vector<std::string>{"Nie powiodło się odczytanie ustawień urządzenia!"});
    emu().clearIgnores();

    setCurrentLanguage(LANG_EN);
    view->refreshControls();
    EXPECT_EQ(lines()[6], "Running time - gasoline\t1 h : 00 min");
    EXPECT_EQ(view->findChild<QPushButton*>("1042")->text(), "Change installation data");
    setCurrentLanguage(LANG_PL);
}

TEST_F(DevInfoViewEmu, ClearingTakesThePasswordOnceAndEmptiesTheControllersRecord)
{
    const SMountBytes stored = mountBytes(QDate(2010, 3, 15), "Auto-Gaz", "2.0", "1598");
    emu().withState([&](SEmuState& s) { s.m_mountData = stored; });
    open();
    bool asked = false;

    // A wrong password keeps the dialog up; closing it clears nothing.
    bool stayedOpen = false;
    answerDialog(asked, [&](QDialog* dlg) {
        setField(dlg, "1156", "Sitko");
        dlg->findChild<QPushButton*>("1")->click();
        stayedOpen = dlg->isVisible();
        dlg->reject();
    });
    press("1041");
    EXPECT_TRUE(asked);
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(doc.hiddenFeatures());
    EXPECT_EQ(mountWrites(), 0u);
    EXPECT_EQ(emu().state().m_mountData, stored);

    // A controller that refuses the write keeps its data, and so does the view.
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_MOUNT_DATA); });
    answerDialog(asked, [](QDialog* dlg) {
        setField(dlg, "1156", "sitko");
        dlg->accept();
    });
    press("1041");
    EXPECT_TRUE(asked);
    EXPECT_TRUE(doc.hiddenFeatures());
    EXPECT_EQ(shell.errors(),
              std::vector<std::string>{"Nie powiodło się wpisanie ustawień do urządzenia!"});
    EXPECT_EQ(doc.m_devInfo.m_mountService, "Auto-Gaz");
    EXPECT_EQ(lines()[12], "Nazwa zakładu montującego\tAuto-Gaz");
    emu().clearIgnores();
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_MOUNT_DATA, false); });

    // Unlocked for the rest of the run: no second question.
    answerDialog(asked, [](QDialog* dlg) { dlg->reject(); });
    press("1041");
    QApplication::processEvents();
    EXPECT_FALSE(asked);
    EXPECT_EQ(emu().state().m_mountData, SMountBytes{});
    EXPECT_EQ(lines()[10], "Data montażu\t");
    EXPECT_EQ(lines()[16], "Pojemność silnika [cm3]\t");
}

TEST_F(DevInfoViewEmu, ChangingOffersTodayAndTheRememberedWorkshopAndStoresBoth)
{
    ASSERT_TRUE(config.storeMountServiceName("Gaz-Serwis"));
    open();
    bool asked = false;
    // What the dialog offers stays in the dialog when it is cancelled: the
    // block still says the controller holds no installation data.
    answerDialog(asked, [](QDialog* dlg) { dlg->reject(); });
    press("1042");
    EXPECT_TRUE(asked);
    EXPECT_EQ(doc.m_devInfo.m_mountDate, "");
    EXPECT_EQ(doc.m_devInfo.m_mountService, "");
    EXPECT_EQ(mountWrites(), 0u);

    QString offeredDate;
    QString offeredName;
    bool nameEditable = false;
    answerDialog(asked, [&](QDialog* dlg) {
        offeredDate = field(dlg, "1039");
        offeredName = field(dlg, "1041");
        nameEditable = !dlg->findChild<QLineEdit*>("1041")->isReadOnly();
        setField(dlg, "1041", "Gaz-Serwis Nowak");
        setField(dlg, "1043", "2.0");
        setField(dlg, "1169", "1598");
        dlg->findChild<QPushButton*>("1")->click();
    });
    press("1042");
    ASSERT_TRUE(asked);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(offeredDate, today.toString("dd/MM/yyyy"));
    EXPECT_EQ(offeredName, "Gaz-Serwis");
    EXPECT_TRUE(nameEditable);
    EXPECT_EQ(emu().state().m_mountData, mountBytes(today, "Gaz-Serwis Nowak", "2.0", "1598"));
    EXPECT_EQ(config.mountServiceName(), "Gaz-Serwis Nowak");
    EXPECT_EQ(lines()[10], "Data montażu\t" + today.toString("dd/MM/yyyy"));
    EXPECT_EQ(lines()[12], "Nazwa zakładu montującego\tGaz-Serwis Nowak");

    // The controller has a name now: it is shown, not offered for editing.
    // Cancelling writes nothing and leaves the block as the controller has it.
    const std::uint64_t writes = mountWrites();
    answerDialog(asked, [&](QDialog* dlg) {
        nameEditable = !dlg->findChild<QLineEdit*>("1041")->isReadOnly();
        setField(dlg, "1169", "1998");
        dlg->reject();
    });
    press("1042");
    EXPECT_TRUE(asked);
    EXPECT_FALSE(nameEditable);
    EXPECT_EQ(mountWrites(), writes);
    EXPECT_EQ(doc.m_devInfo.m_engine, "1598");

    // A refused write: the message, the old data in the block and the view,
    // and the workshop name of this computer as it was.
    ASSERT_TRUE(config.storeMountServiceName("Gaz-Serwis"));
    doc.m_devInfo.m_mountService.clear(); // so the name can be typed again
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_MOUNT_DATA); });
    answerDialog(asked, [&](QDialog* dlg) {
        setField(dlg, "1041", "Inny warsztat");
        dlg->findChild<QPushButton*>("1")->click();
    });
    press("1042");
    EXPECT_TRUE(asked);
    EXPECT_EQ(shell.errors(),
              std::vector<std::string>{"Nie powiodło się wpisanie ustawień do urządzenia!"});
    EXPECT_EQ(doc.m_devInfo.m_mountService, "");
    EXPECT_EQ(config.mountServiceName(), "Gaz-Serwis");

    // Written, but this computer cannot keep the name: the fitter is told
    // rather than left to look for it next time.
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_MOUNT_DATA, false); });
    std::ofstream(dir.filePath("blocker").toStdString()) << "a file where the folder should be\n";
    config = CUserConfig(dir.filePath("blocker/nimo.conf").toStdString());
    answerDialog(asked, [&](QDialog* dlg) {
        setField(dlg, "1041", "Inny warsztat");
        dlg->findChild<QPushButton*>("1")->click();
    });
    press("1042");
    EXPECT_EQ(doc.m_devInfo.m_mountService, "Inny warsztat");
    ASSERT_EQ(shell.errors().size(), 2u);
    EXPECT_EQ(shell.errors()[1], "Nie można zapisać pliku ustawień programu " + config.path() +
                                     " (Not a directory); nazwa zakładu „Inny warsztat” nie "
                                     "zostanie zapamiętana na następny raz.");
}

TEST_F(DevInfoViewEmu, WithTheLinkDownTheButtonsDoNothing)
{
    open();
    doc.setConnected(false);
    view->refreshControls();
    EXPECT_FALSE(view->findChild<QPushButton*>("1041")->isEnabled());
    EXPECT_FALSE(view->findChild<QPushButton*>("1042")->isEnabled());
    bool asked = false;
    answerDialog(asked, [](QDialog* dlg) { dlg->reject(); });
    view->changeInstallationData();
    view->clearInstallationData();
    QApplication::processEvents();
    EXPECT_FALSE(asked);
    EXPECT_EQ(mountWrites(), 0u);
}
