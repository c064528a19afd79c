// The small pictures of the control strip: the "TRACK" and "TIME" captions,
// the clock's digits and colon, and the ten track names. All are drawn light
// on transparent and share one baseline, so that placed at the player's
// positions (which differ by up to 3 pixels) their text sits on one line.
// Sizes in pixels.
#pragma once

#include <cairo.h>

#include <string>

namespace keltraWorks {

constexpr int CaptionHeight = 40;
constexpr int TrackCaptionWidth = 84;
constexpr int TimeCaptionWidth = 60;
constexpr int DigitWidth = 40;
constexpr int ColonWidth = 26;
constexpr int TrackNameWidth = 300;

void drawCaption(cairo_t* cr, const std::string& text, int width);
// Monoline numerals in the wordmark's hand, 7 px clear at either side.
void drawDigit(cairo_t* cr, int digit);
void drawColon(cairo_t* cr);
// "01  First Light": the number in gold, the title in mist. `number` 1..10.
void drawTrackName(cairo_t* cr, int number);

} // namespace keltraWorks
