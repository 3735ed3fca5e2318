// etched_glyph.cpp - the disabled play glyph, pixel by pixel.
#include "options/dialog/etched_glyph.h"

namespace tolvar {

void ComputeEtchedGlyph(int width, int height, const bool *ink, EtchColour *out)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool here = ink[y * width + x];
            bool inside = x + 1 < width && y + 1 < height;
            bool below = inside && ink[(y + 1) * width + x + 1];
            EtchColour c = EtchColour::Face;
            if (here && !below)
                c = EtchColour::Highlight;
            else if (!here && inside && below)
                c = EtchColour::Shadow;
            out[y * width + x] = c;
        }
    }
}

} // namespace tolvar
