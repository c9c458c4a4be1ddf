// Dialog units: dialog templates give positions and sizes in units of the dialog's font, a
// quarter of its average character width across and an eighth of its height down.
#pragma once

#include "platform/geometry.h"

#include <cstdint>
#include <string_view>

// a × b ÷ c rounded half away from zero, as the system's MulDiv; -1 when c is 0 or the result
// leaves the 32-bit range.
int32_t MulDivRound(int32_t a, int32_t b, int32_t c);

// Pixel height of a font of the given points on a screen of the given dots per inch.
int32_t PointsToPixels(int32_t points, int32_t dotsPerInch);

// The letters whose average width is the font's base width.
inline constexpr std::string_view kBaseUnitLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The dialog font's base units in pixels: four dialog units across, eight down.
struct DialogBaseUnits {
    int32_t cx = 0;
    int32_t cy = 0;
};

// Base units from the width of kBaseUnitLetters written in a row and the font's height: the
// average letter width, rounded, and the height.
DialogBaseUnits BaseUnitsOf(int32_t lettersWidth, int32_t fontHeight);

// A rectangle in dialog units converted to pixels; position and size each on its own, as the
// dialog manager places a control.
Rect DialogUnitsToPixels(Rect units, DialogBaseUnits base);
