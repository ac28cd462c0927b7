#include "app/CScreenInfo.h"

#include <algorithm>
#include <cmath>

namespace {

int scaled(int a, int size, int design)
{
    if (size == design)
        return a;
    const int r = static_cast<int>(std::lround(double(a) * size / design));
    return std::min(a, r);
}

} // namespace

void CScreenInfo::setWorkArea(int width, int height)
{
    m_width = std::clamp(width, 800, DESIGN_WIDTH);
    m_height = std::clamp(height, 570, DESIGN_HEIGHT);
}

int CScreenInfo::scaleX(int a) const
{
    return scaled(a, m_width, DESIGN_WIDTH);
}

int CScreenInfo::scaleY(int a) const
{
    return scaled(a, m_height, DESIGN_HEIGHT);
}

CScreenInfo& screenInfo()
{
    static CScreenInfo info;
    return info;
}
