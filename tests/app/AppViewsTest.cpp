#include <QPushButton>

#include <gtest/gtest.h>

#include "app/AppCommands.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "lang/LanguageScope.h"
#include "views/CDevInfoView.h"
#include "views/CErrCodesView.h"

TEST(AppViews, TheToolbarOpensTheDeviceInformationAndErrorCodesFilledAndTitled)
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
    EXPECT_TRUE(errors.empty());
    frame.close();
}
