#include "common/Twips.h"

#include <cfenv>
#include <cmath>

namespace trovix {

int twipsToPixels(int twips)
{
    return twipsToPixelsHalfEven(twips, TwipsPerPixel);
}

int twipsToPixelsHalfEven(int twips, double twipsPerPixel)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double pixels = std::nearbyint(double(twips) / twipsPerPixel);
    std::fesetround(previous);
    return int(pixels);
}

} // namespace trovix
