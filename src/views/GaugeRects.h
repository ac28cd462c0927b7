// Conversions between the gauges' window-style rectangles and Qt's.
// Thread safety: pure functions.
#pragma once

#include <QRect>

#include "views/GaugeGeometry.h"

inline QRect toQRect(const SRect& r)
{
    return QRect(r.left, r.top, r.width(), r.height());
}

inline SRect toSRect(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
