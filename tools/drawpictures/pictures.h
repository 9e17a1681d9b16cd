#pragma once

#include <QImage>
#include <QPoint>

// The program's own pictures, each drawn from scratch with QPainter.
namespace Pictures {

// The Add button's picture: an open folder and the words ADD FILES, 102 x 66
// pixels, or scale times as many each way for screens of higher density.
QImage addPicture(int scale = 1);

// The Join button's picture: the words JOIN FILES and a funnel, 109 x 60
// pixels, or scale times as many each way.
QImage joinPicture(int scale = 1);

// The window icon, a red tape dispenser with a roll of clear tape, on a
// transparent square of side size.
QImage tapeDispenser(int size);

// The 32 x 32 hand pointer: a white hand with a black outline, index finger up.
QImage handPointer();

// The pixel at the tip of the hand pointer's index finger.
QPoint handHotSpot();

} // namespace Pictures
