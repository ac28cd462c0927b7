#include "controls/ControlColors.h"

QColor contrastingText(const QColor& background)
{
    // Perceived brightness (ITU-R BT.601 weights), so a saturated blue or red
    // gets white text and a light grey gets black.
    const int luma =
        (299 * background.red() + 587 * background.green() + 114 * background.blue()) / 1000;
    return luma < 128 ? Qt::white : Qt::black;
}
