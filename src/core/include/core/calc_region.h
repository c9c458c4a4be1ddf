// The calculation region: x is the orbit value (horizontal), y the parameter a (vertical).
#pragma once

#include <utility>

struct CalcRegion {
    double xmin = 0.0;
    double ymin = 0.0;
    double xmax = 0.0;
    double ymax = 0.0;

    bool operator==(const CalcRegion&) const = default;
};

// The two values of one axis as (min, max); equal or unordered (NaN) values keep their order.
constexpr std::pair<double, double> OrderedAxis(double v0, double v1)
{
    return v0 > v1 ? std::pair{v1, v0} : std::pair{v0, v1};
}

// Orders each axis on its own so that min <= max.
constexpr CalcRegion OrderedRegion(double x0, double y0, double x1, double y1)
{
    const auto [xmin, xmax] = OrderedAxis(x0, x1);
    const auto [ymin, ymax] = OrderedAxis(y0, y1);
    return {xmin, ymin, xmax, ymax};
}

// The region every front end starts from: x from 0 to 1, a from 3 to 4.
inline constexpr CalcRegion kDefaultRegion{0.0, 3.0, 1.0, 4.0};
