#include "link/ReportReading.h"

#include "lang/Translation.h"
#include "link/CGasDevice.h"

std::string readReportInput(CGasDevice& device, SReportInput& in)
{
    if (!device.isConnected())
        return translate("Raport wymaga połączenia ze sterownikiem (albo trybu demonstracyjnego).");
    const CSettings held = device.settings();
    SErrorRecord record{};
    // Half a report would pass for the whole car: any record that cannot be
    // read stops it.
    const bool read = device.readStatistic() && device.readMountData() && device.readSettings() &&
                      device.readSetupTable() && device.readErrors(record);
    in.settings = device.settings();
    static_cast<CSettings&>(device) = held;
    if (!read)
        return translate("Nie można odczytać sterownika; raportu nie zapisano.");
    in.faults = device.describeErrors(record);
    in.demo = device.isDemo();
    return {};
}
