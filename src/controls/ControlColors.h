// Colour rules the painted controls share.
// Thread safety: pure functions.
#pragma once

#include <QColor>

// Black or white, whichever reads better on the colour.
QColor contrastingText(const QColor& background);
