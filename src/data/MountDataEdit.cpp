#include "data/MountDataEdit.h"

std::string mountDateText(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%d/%m/%Y", &local);
    return std::string(text, n);
}

void clearMountData(SDevInfo& info)
{
    info.m_mountDate.clear();
    info.m_mountService.clear();
    info.m_injSize.clear();
    info.m_engine.clear();
}

SMountDataProposal proposeMountData(const SDevInfo& info, std::time_t now,
                                    const std::string& rememberedService)
{
    SMountDataProposal p{info, false};
    if (p.info.m_mountDate.empty())
        p.info.m_mountDate = mountDateText(now);
    if (p.info.m_mountService.empty()) {
        p.info.m_mountService = rememberedService;
        p.nameEditable = true;
    }
    return p;
}
