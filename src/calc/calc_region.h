// The calculation region: x is the orbit value (horizontal), y the parameter a (vertical).
#pragma once

struct CalcRegion {
    double xmin = 0.0;
    double ymin = 0.0;
    double xmax = 0.0;
    double ymax = 0.0;
};

// Orders each axis on its own so that min <= max; equal or unordered (NaN) values keep the
// given order.
constexpr CalcRegion OrderedRegion(double x0, double y0, double x1, double y1)
{
    CalcRegion region;
    if (x0 > x1) {
        region.xmin = x1;
        region.xmax = x0;
    } else {
        region.xmin = x0;
        region.xmax = x1;
    }
    if (y0 > y1) {
        region.ymin = y1;
        region.ymax = y0;
    } else {
        region.ymin = y0;
        region.ymax = y1;
    }
    return region;
}
