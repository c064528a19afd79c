// The buttons: the close button and the five transport buttons, each 64 x 64
// pixels on transparent. The player tints the normal pictures (grey, red
// under the pointer), so they are drawn in white; the pressed pictures are
// shown untinted and carry the gold of the glint.
#pragma once

#include <cairo.h>

namespace keltraWorks {

enum class TransportGlyph { Play, Pause, Stop, Previous, Next };

void drawTransportButton(cairo_t* cr, TransportGlyph glyph, bool pressed);
void drawCloseButton(cairo_t* cr);

} // namespace keltraWorks
