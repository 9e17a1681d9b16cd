#pragma once

#include <cmath>

// The window description measures in twips, 1440 to the inch. Qt lays widgets
// out in device-independent pixels of 1/96 inch and scales them to the
// screen's real density itself, so one such pixel is always 15 twips.
constexpr int TwipsPerPixel = 15;

constexpr float pixelsToTwips(int pixels)
{
    return static_cast<float>(pixels * TwipsPerPixel);
}

// Whole pixels are the window system's business; a half pixel rounds away
// from zero.
inline int twipsToPixels(float twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}
