#include <cerrno>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/CAboutDlg.h"
#include "app/CAutrelDoc.h"
#include "app/CMountDataDlg.h"
#include "app/CMultiLangWnd.h"
#include "app/CNoConnectionDlg.h"
#include "app/COpenFile.h"
#include "app/CPasswdDlg.h"
#include "app/CSplashDlg.h"
#include "app/CWaitDlg.h"
#include "lang/LanguageScope.h"

namespace {

template <typename T = QWidget>
T* control(QWidget* dlg, const char* id)
{
    T* found = dlg->findChild<T*>(id);
    EXPECT_NE(found, nullptr) << id;
    return found;
}

void click(QWidget* dlg, const char* id)
{
    control<QPushButton>(dlg, id)->click();
}

// Key by key, as typed: limits and validators see every character. QTest's
// own key clicks know ASCII only, and a fitter types Polish.
void type(QWidget* edit, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

void retype(QWidget* dlg, const char* id, const QString& text)
{
    QLineEdit* edit = control<QLineEdit>(dlg, id);
    edit->clear();
    type(edit, text);
}

} // namespace

TEST(PasswdDlg, OnlyTheExactPasswordUnlocksAndAWrongOneKeepsTheDialogAsItIs)
{
    CLanguageScope polish(LANG_PL);
    CQuietShell shell;
    CAutrelDoc doc(shell);
    CPasswdDlg dlg(doc);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Nimo - Podaj hasło");
    EXPECT_EQ(control<QLineEdit>(&dlg, "1156")->echoMode(), QLineEdit::Password);

    for (const char* wrong : {"Sitko", "SITKO", "sitko ", "sit"}) {
        retype(&dlg, "1156", wrong);
        click(&dlg, "1");
        EXPECT_TRUE(dlg.isVisible()) << wrong;
        EXPECT_FALSE(doc.hiddenFeatures()) << wrong;
        EXPECT_EQ(control<QLineEdit>(&dlg, "1156")->text(), wrong);
    }
    // Enter takes the default button, as a fitter types it.
    retype(&dlg, "1156", "sitko");
    QTest::keyClick(control<QLineEdit>(&dlg, "1156"), Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(doc.hiddenFeatures());
    EXPECT_EQ(dlg.password(), "sitko");
    // Unlocked once, never asked again in this run.
    EXPECT_TRUE(CPasswdDlg::unlock(doc));
}

TEST(MountDataDlg, LimitsRefusalsAndTheReadOnlyName)
{
    CLanguageScope english(LANG_EN);
    SDevInfo info;
    info.m_serial = "0815";
    info.m_mountService = "Auto-Gaz Kowalski";
    info.m_injSize = "2";
    info.m_engine = "1598";

    CMountDataDlg locked(info, false);
    locked.show();
    EXPECT_EQ(locked.windowTitle(), "Installation data");
    EXPECT_EQ(control<QLabel>(&locked, "1042")->buddy(), control(&locked, "1041"));
    type(control(&locked, "1041"), "X");
    EXPECT_EQ(control<QLineEdit>(&locked, "1041")->text(), "Auto-Gaz Kowalski");
    EXPECT_TRUE(control<QLineEdit>(&locked, "1039")->isReadOnly());

    CMountDataDlg dlg(info, true);
    dlg.show();
    retype(&dlg, "1041", "Warsztat samochodowy pod lasem");
    EXPECT_EQ(control<QLineEdit>(&dlg, "1041")->text(), "Warsztat samochodowy p");
    // The controller keeps bytes: eleven Polish letters fill its 22.
    retype(&dlg, "1041", "ŁĄŚĆŻŹÓŃĘłąś");
    EXPECT_EQ(control<QLineEdit>(&dlg, "1041")->text(), "ŁĄŚĆŻŹÓŃĘłą");
    retype(&dlg, "1043", "12345");
    EXPECT_EQ(control<QLineEdit>(&dlg, "1043")->text(), "1234");

    // Each required field empty (or blanks) in turn: OK stays refused.
    for (const char* id : {"1041", "1043", "1169"}) {
        QLineEdit* edit = control<QLineEdit>(&dlg, id);
        const QString kept = edit->text();
        edit->setText(QString(id) == "1041" ? "   " : "");
        click(&dlg, "1");
        EXPECT_TRUE(dlg.isVisible()) << id;
        EXPECT_EQ(dlg.focusWidget(), edit) << id;
        edit->setText(kept);
    }
    // The date may stay empty.
    click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    SDevInfo back = info;
    dlg.takeInto(back);
    EXPECT_EQ(back.m_mountService, "ŁĄŚĆŻŹÓŃĘłą");
    EXPECT_EQ(back.m_injSize, "1234");
    EXPECT_EQ(back.m_engine, "1598");
    EXPECT_EQ(back.m_mountDate, "");
    EXPECT_EQ(back.m_serial, "0815");

    // A controller without a name must still let OK through: the name is typed in.
    info.m_mountService.clear();
    CMountDataDlg unnamed(info, false);
    EXPECT_FALSE(control<QLineEdit>(&unnamed, "1041")->isReadOnly());
}

TEST(NoConnectionDlg, ChoosesTheModeAndListsWhyEachPortFailed)
{
    CLanguageScope polish(LANG_PL);
    SPortSurvey survey;
    SPortDiagnosis denied;
    denied.number = 1;
    denied.path = "/dev/ttyUSB0";
    denied.exists = denied.tested = true;
    denied.error = EACCES;
    denied.group = "dialout";
    SPortDiagnosis probed = denied;
    probed.number = 2;
    probed.path = "/dev/ttyACM0";
    probed.error = 0;
    probed.opens = true;
    probed.taker = EPortTaker::ModemManager;
    survey.ports = {denied, probed};

    CNoConnectionDlg dlg(survey);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Nimo  -  Brak połączenia ze sterownikiem");
    EXPECT_TRUE(control<QPushButton>(&dlg, "1")->isDefault());
    EXPECT_FALSE(dlg.detailsShown());
    auto* details = dlg.findChild<QPlainTextEdit*>();
    ASSERT_NE(details, nullptr);
    EXPECT_FALSE(details->isVisible());
    dlg.findChild<QToolButton*>()->click();
    EXPECT_TRUE(details->isVisible());

    // A language change reaches the open dialog, details and all.
    setCurrentLanguage(LANG_EN);
    announceLanguageChange();
    EXPECT_EQ(dlg.windowTitle(), "No connection with LPG device");
    EXPECT_EQ(control<QLabel>(&dlg, "1290")->text(), "Can't connect to device using any COM port.");
    EXPECT_EQ(dlg.findChild<QToolButton*>()->text(), "Details");
    const QStringList paragraphs = details->toPlainText().split("\n\n");
    ASSERT_EQ(paragraphs.size(), 2);
    EXPECT_TRUE(paragraphs[0].startsWith("1. /dev/ttyUSB0: no permission"));
    EXPECT_TRUE(paragraphs[0].contains("dialout group") && paragraphs[0].contains("log in again"));
    EXPECT_TRUE(paragraphs[1].startsWith("2. /dev/ttyACM0: the port opens, but no controller"));
    EXPECT_TRUE(paragraphs[1].contains("\n→ the program ModemManager"));

    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    for (bool byButton : {true, false}) {
        CNoConnectionDlg again;
        again.show();
        EXPECT_TRUE(again.detailsText().contains("No serial port was found"));
        byButton ? click(&again, "2") : (void)again.close();
        EXPECT_EQ(again.result(), QDialog::Rejected);
    }
}

TEST(OpenFile, TitleModeAndDefaultExtensionAndCancelGivesNothing)
{
    CLanguageScope english(LANG_EN);
    COpenFile::setNativeDialogs(false);
    QTemporaryDir dir;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        title = d->windowTitle();
        d->selectFile("golf");
        QMetaObject::invokeMethod(d, "accept");
    });
    EXPECT_EQ(COpenFile(dir.path(), "Settings (*.ssf)", ".ssf", true).exec(),
              dir.filePath("golf.ssf"));
    EXPECT_EQ(title, "Save as");

    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        title = d->windowTitle();
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
        d->reject();
    });
    EXPECT_EQ(COpenFile(dir.path(), "Settings (*.ssf)", "ssf", false).exec(), QString());
    EXPECT_EQ(title, "Open");
}

TEST(ProgressWindows, AreUpCentredAtOnceAndOnlyDestructionClosesThem)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    {
        CWaitDlg wait("Wczytywanie ustawień z urządzenia...");
        EXPECT_TRUE(wait.isVisible());
        EXPECT_LE((wait.frameGeometry().center() - screen.center()).manhattanLength(), 2);
        EXPECT_EQ(control<QProgressBar>(&wait, "1023")->maximum(), 0) << "busy, not a percentage";
        QTest::keyClick(&wait, Qt::Key_Escape);
        EXPECT_TRUE(wait.isVisible());
    }
    CSplashDlg splash("Łączenie ze sterownikiem...");
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(control<QLabel>(&splash, "1194")->text(), "Łączenie ze sterownikiem...");
    QTest::keyClick(&splash, Qt::Key_Escape);
    EXPECT_TRUE(splash.isVisible());

    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Nimo");
    EXPECT_NE(about.findChild<QLabel*>(), nullptr);
}
