#pragma once

#include "graphicalcheckbox.h"

/// The rule the picture buttons follow in their Click handler: act only on a
/// press, and release the button before any work, so that it never stays
/// pressed and is drawn released while the work runs. Releasing raises Click
/// once more, nested here; that call finds Value 0 and does nothing.
inline bool takePress(GraphicalCheckBox &button)
{
    if (button.Value() != 1)
        return false;
    button.setValue(0);
    return true;
}
