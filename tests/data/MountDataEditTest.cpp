#include <gtest/gtest.h>

#include "data/MountDataEdit.h"

namespace {

std::time_t localNoon(int year, int month, int day)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = 12;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

} // namespace

TEST(MountDataEdit, OnlyMissingDateAndNameAreProposedAndOnlyAProposedNameIsEditable)
{
    const std::time_t day = localNoon(2024, 3, 5);
    EXPECT_EQ(mountDateText(day), "05/03/2024"); // the form the controller's date code takes

    SDevInfo fresh;
    fresh.m_serial = "si001";
    SMountDataProposal p = proposeMountData(fresh, day, "Gaz-Serwis");
    EXPECT_EQ(p.info.m_mountDate, "05/03/2024");
    EXPECT_EQ(p.info.m_mountService, "Gaz-Serwis");
    EXPECT_TRUE(p.nameEditable);
    EXPECT_EQ(p.info.m_serial, "si001");

    SDevInfo fitted = fresh;
    fitted.m_mountDate = "15/03/2010";
    fitted.m_mountService = "Auto-Gaz";
    p = proposeMountData(fitted, day, "Gaz-Serwis");
    EXPECT_EQ(p.info.m_mountDate, "15/03/2010");
    EXPECT_EQ(p.info.m_mountService, "Auto-Gaz");
    EXPECT_FALSE(p.nameEditable);

    fitted.m_injSize = "2.0";
    fitted.m_engine = "1598";
    fitted.m_statistic = {10, 20};
    clearMountData(fitted);
    EXPECT_EQ(fitted.m_mountDate + fitted.m_mountService + fitted.m_injSize + fitted.m_engine, "");
    EXPECT_EQ(fitted.m_serial, "si001");
    EXPECT_EQ(fitted.m_statistic.lpg, 20u);
}
