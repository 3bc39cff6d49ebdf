#pragma once

namespace trovix {

constexpr int TwipsPerPixel = 15;

// Twips to pixels at the designer's 15 twips per pixel, rounded to nearest.
int twipsToPixels(int twips);

// A floating-point division followed by the conversion to a whole number that sends
// halves to the even neighbour: 9006 twips at 12 twips per pixel give 750.
int twipsToPixelsHalfEven(int twips, double twipsPerPixel);

} // namespace trovix
