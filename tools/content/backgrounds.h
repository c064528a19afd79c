// The five large pictures: the light title picture and the dark-ink logo
// that is multiplied onto it, the main screen with its oscilloscope glass,
// the end title, and the credits that scroll over the end title's right
// side. Each draws onto a context of its full size (1024 x 768, or
// CreditsWidth x CreditsHeight), in pixels.
#pragma once

#include <cairo.h>

namespace keltraWorks {

constexpr int CreditsWidth = 448;
constexpr int CreditsHeight = 1024;

void drawTitleBackground(cairo_t* cr);
void drawLogo(cairo_t* cr);
void drawMainBackground(cairo_t* cr);
void drawEndTitleBackground(cairo_t* cr);
void drawCredits(cairo_t* cr);

} // namespace keltraWorks
