// Points, sizes and rectangles in whole pixels or cells, as the system's own types give them.
#pragma once

#include <cstdint>

struct Point {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const Point&) const = default;
};

// Columns and rows of a grid, or pixels across and down.
struct Size {
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const Size&) const = default;
};

// A rectangle by its top-left corner and its extent; x and y inclusive.
struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const Rect&) const = default;
};
