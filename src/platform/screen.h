#pragma once

#include "seam.h"

/// The whole primary screen, in twips; task bars and other screens are not
/// taken into account.
class Screen : public Seam<Screen>
{
public:
    virtual ~Screen() = default;
    virtual float Width() = 0;
    virtual float Height() = 0;

    static Screen &native();
};
