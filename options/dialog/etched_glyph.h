// etched_glyph.h - the picture of a disabled play button, pixel by pixel.
//
// The dialog builds the disabled glyph with GDI raster operations; this is
// the same rule written plainly, for checking the GDI result and the rule
// itself.
#ifndef TOLVAR_DIALOG_ETCHED_GLYPH_H
#define TOLVAR_DIALOG_ETCHED_GLYPH_H

#include <cstdint>

namespace tolvar {

enum class EtchColour : uint8_t { Face, Highlight, Shadow };

// ink[y * width + x] is true where the source pixel differs from its
// top-left pixel. A pixel with ink gets the highlight colour when its
// lower-right neighbour has none or lies outside the image; a pixel without
// ink gets the shadow colour when its lower-right neighbour has ink; all
// others keep the button face.
void ComputeEtchedGlyph(int width, int height, const bool *ink, EtchColour *out);

} // namespace tolvar

#endif // TOLVAR_DIALOG_ETCHED_GLYPH_H
