#include "CliLiveFormat.h"

#include <vector>

#include "CliJson.h"
#include "data/LiveCsv.h"

std::string liveHeader(ELiveFormat format)
{
    if (format == ELiveFormat::Json)
        return {};
    return liveHeaderRow(format == ELiveFormat::Csv ? ',' : '\t');
}

std::string liveLine(const diag_t& rec, ELiveFormat format)
{
    if (format != ELiveFormat::Json)
        return liveRow(rec, format == ELiveFormat::Csv ? ',' : '\t');
    const SLiveValues v = liveValues(rec);
    std::vector<std::string> petrol;
    std::vector<std::string> lpg;
    for (std::size_t i = 0; i < DIAG_CHANNELS; ++i) {
        petrol.push_back(jsonNumber(v.petrol[i]));
        lpg.push_back(jsonNumber(v.lpg[i]));
    }
    CJsonObject o;
    o.number("rpm", v.rpm).raw("petrol_ms", jsonArray(petrol)).raw("lpg_ms", jsonArray(lpg));
    const std::vector<double> tail = liveTailValues(v);
    for (std::size_t i = 0; i < tail.size(); ++i)
        o.number(LIVE_TAIL_COLUMNS[i], tail[i]);
    return o.str();
}
