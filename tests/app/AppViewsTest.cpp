#include <QCoreApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/AppCommands.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "lang/LanguageScope.h"
#include "views/CDevInfoView.h"
#include "views/CCorrView.h"
#include "views/CErrCodesView.h"
#include "views/CMapCreateView.h"

TEST(AppViews, TheToolbarOpensTheViewsFilledAndTitled)
{
    CLanguageScope polish(LANG_PL);
    CQtShell shell;
    shell.m_fastSleep = true;
    std::vector<std::string> errors;
    shell.onErrorBox = [&](const std::string& t) { errors.push_back(t); };
    CAutrelDoc doc(shell);
    CMainFrame frame(doc, shell);
    registerViews(frame);
    frame.startFirstConnection(true);

    frame.runCommand(ID_VIEW_DEVINFO);
    auto* info = dynamic_cast<CDevInfoView*>(frame.upperView());
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(frame.windowTitle().startsWith("Informacje o sterowniku - "));
    // Opening reads the work times: the demonstration's 46145 half-seconds.
    EXPECT_TRUE(info->infoText().contains("Czas pracy - LPG\t6 godz : 24 min"));

    frame.runCommand(ID_VIEW_ERRCODES);
    auto* faults = dynamic_cast<CErrCodesView*>(frame.upperView());
    ASSERT_NE(faults, nullptr);
    EXPECT_TRUE(frame.windowTitle().startsWith("Kody błędów - "));
    EXPECT_TRUE(faults->findChild<QPushButton*>("1011")->isEnabled());
    frame.setLanguage(LANG_EN);
    EXPECT_EQ(faults->findChild<QPushButton*>("1011")->text(), "Clear errors");
    EXPECT_TRUE(frame.windowTitle().startsWith("Error codes - "));

    // The corrections computed from a drive are shown in the manual
    // correction view, which takes the map view's place once its click is over.
    frame.runCommand(ID_VIEW_MAPCREATE);
    ASSERT_NE(dynamic_cast<CMapCreateView*>(frame.upperView()), nullptr);
    EXPECT_TRUE(frame.windowTitle().startsWith("Autocalibration while driving - "));
    frame.upperView()->findChild<QPushButton*>("1137")->click();
    QCoreApplication::processEvents();
    EXPECT_NE(dynamic_cast<CCorrView*>(frame.upperView()), nullptr);
    EXPECT_EQ(frame.upperCommand(), ID_VIEW_CORR);
    EXPECT_TRUE(errors.empty());
    frame.close();
}
