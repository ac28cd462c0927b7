#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/CAutrelDoc.h"
#include "controls/CColorStatic.h"
#include "lang/Translation.h"
#include "support/FakeShell.h"
#include "views/CBottomView.h"

namespace {

class BottomView : public ::testing::Test {
protected:
    void SetUp() override { setCurrentLanguage(LANG_PL); }
    void TearDown() override { setCurrentLanguage(LANG_PL); }

    CColorStatic* field(CBottomView& view, int id)
    {
        auto* f = view.findChild<CColorStatic*>(QString::number(id));
        EXPECT_NE(f, nullptr) << id;
        return f;
    }
    QString text(CBottomView& view, int id) { return field(view, id)->text(); }

    CFakeShell shell;
    CAutrelDoc doc{shell};
};

diag_t record(std::uint8_t fuel, std::uint16_t period, std::uint16_t petrol)
{
    diag_t rec{};
    rec.fuel = fuel;
    rec.enginePeriod = period;
    rec.channels[0].petrolA = petrol;
    rec.channels[0].corrA = 40;
    rec.reducerTemp = 0;
    rec.gasPressure = 140;
    rec.lambda = 23;
    return rec;
}

} // namespace

TEST_F(BottomView, LinkDownKeepsTheLastValuesAndSaysSoOnRed)
{
    CBottomView view(doc);
    EXPECT_EQ(text(view, 1112), "Błąd komunikacji");
    EXPECT_EQ(text(view, 1108), "0000");
    EXPECT_EQ(text(view, 1113), ""); // nothing read yet, nothing to report

    doc.setConnected(true);
    view.updateLiveValues(); // an empty buffer changes nothing
    EXPECT_EQ(text(view, 1108), "0000");

    doc.m_diagData.add(record(FUEL_LPG, 2000, 160));
    view.updateLiveValues();
    view.setConnectionState(true);
    EXPECT_EQ(text(view, 1110), "4.00");
    EXPECT_EQ(text(view, 1111), "5.00");
    EXPECT_EQ(text(view, 1108), "2400");
    EXPECT_EQ(text(view, 1303), "209");
    EXPECT_EQ(text(view, 1304), "127");
    EXPECT_EQ(text(view, 1305), "0.5");
    EXPECT_EQ(text(view, 1081), "LPG");
    EXPECT_EQ(field(view, 1081)->backgroundColor(), QColor(0, 0, 190));
    EXPECT_EQ(field(view, 1081)->textColor(), QColor(Qt::white));
    EXPECT_EQ(text(view, 1112), "");
    EXPECT_EQ(field(view, 1112)->backgroundColor(), QColor(140, 180, 140));
    // A screen reader hears the label with the value.
    EXPECT_EQ(field(view, 1108)->accessibleName(), "RPM 2400");

    doc.setConnected(false);
    doc.m_diagData.add(record(FUEL_PETROL, 1000, 400));
    view.updateLiveValues();
    view.setConnectionState(false);
    EXPECT_EQ(text(view, 1108), "2400");
    EXPECT_EQ(text(view, 1081), "LPG");
    EXPECT_EQ(text(view, 1112), "Błąd komunikacji");
    EXPECT_EQ(field(view, 1112)->backgroundColor(), QColor(180, 0, 0));

    // The buttons do nothing without a link: no command, no message.
    for (const char* id : {"1011", "1012", "1013"})
        view.findChild<QPushButton*>(id)->click();
    EXPECT_TRUE(shell.errors().empty());
    EXPECT_EQ(text(view, 1081), "LPG");

    doc.setConnected(true);
    view.updateLiveValues();
    EXPECT_EQ(text(view, 1081), "BENZYNA");
    EXPECT_EQ(field(view, 1081)->backgroundColor(), QColor(190, 0, 0));
    EXPECT_EQ(text(view, 1108), "4800");
}

TEST_F(BottomView, ChangingTheLanguageRetitlesButKeepsWhatTheStatesSay)
{
    CBottomView view(doc);
    doc.setConnected(true);
    doc.m_diagData.add(record(FUEL_LPG, 2000, 160));
    view.updateLiveValues();
    view.setConnectionState(true);
    view.setErrorIndicator(true);

    setCurrentLanguage(LANG_EN);
    view.resetValues();
    EXPECT_EQ(view.findChild<QLabel*>("1107")->text(), "T. gasoline");
    EXPECT_EQ(view.findChild<QPushButton*>("1012")->text(), "AUTO");
    EXPECT_EQ(view.findChild<QLabel*>("1036")->text(), "°C"); // units stay
    // The link is still up and the fault still there: neither field may start
    // to claim otherwise just because its text was translated.
    EXPECT_EQ(text(view, 1112), "");
    EXPECT_EQ(text(view, 1113), "ERROR");
    EXPECT_EQ(field(view, 1113)->backgroundColor(), QColor(180, 0, 0));
    EXPECT_EQ(text(view, 1081), "Gasoline");
    EXPECT_EQ(text(view, 1110), "0.00");
    EXPECT_EQ(field(view, 1110)->accessibleName(), "T. gasoline 0.00");

    view.setErrorIndicator(false);
    EXPECT_EQ(text(view, 1113), "");
    EXPECT_EQ(field(view, 1113)->backgroundColor(), QColor(195, 195, 195));
}

// Every language's texts fit their controls on the largest and the smallest
// screen; a longer translation would be cut off on the fitter's screen.
TEST_F(BottomView, EveryLanguageFitsOnLargeAndSmallScreens)
{
    for (int width : {1024, 800}) {
        CScreenInfo screen;
        screen.setWorkArea(width, width == 1024 ? 746 : 570);
        CBottomView view(doc, nullptr, screen);
        EXPECT_EQ(view.sizeHint(), QSize(width, width == 1024 ? 100 : 76));
        for (int lang = 0; lang < kLanguageCount; ++lang) {
            setCurrentLanguage(lang);
            view.resetValues();
            view.setErrorIndicator(true);
            for (QWidget* w : view.findChildren<QWidget*>()) {
                const QFontMetrics fm(w->font());
                QString t;
                int flags = Qt::TextSingleLine;
                if (auto* label = qobject_cast<QLabel*>(w)) {
                    t = label->text();
                    flags = label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
                } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                    t = button->text();
                } else if (auto* f = qobject_cast<CColorStatic*>(w)) {
                    t = f->text();
                }
                const QRect need = fm.boundingRect(w->rect().adjusted(2, 0, -2, 0), flags, t);
                EXPECT_LE(need.width(), w->width() - 4)
                    << width << " lang " << lang << " " << w->objectName().toStdString() << " "
                    << t.toStdString();
                EXPECT_LE(need.height(), w->height())
                    << width << " lang " << lang << " " << w->objectName().toStdString() << " "
                    << t.toStdString();
            }
        }
    }
}
