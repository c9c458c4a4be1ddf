#include "job/film.h"

#include "core/orbit_density.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

struct Axis {
    double centre;
    double extent;
};

// The centre and extent of an axis at frame `frame` of `frames`.
Axis FrameAxis(Axis first, Axis last, int32_t frame, int32_t frames)
{
    const double share = static_cast<double>(frame) / static_cast<double>(frames - 1);
    if (first.extent == last.extent) {
        return {first.centre + (last.centre - first.centre) * share, first.extent};
    }
    const double extent = first.extent * std::pow(last.extent / first.extent, share);
    const double moved = (first.extent - extent) / (first.extent - last.extent);
    return {first.centre + (last.centre - first.centre) * moved, extent};
}

// The width of the field at `at` (just after its '%'), and where the field ends; nothing when
// no integer field starts there.
struct Field {
    int width = 0;
    bool zeros = false;
    size_t end = 0;
};
std::optional<Field> FieldAt(std::string_view pattern, size_t at)
{
    Field field;
    if (at < pattern.size() && pattern[at] == '0') {
        field.zeros = true;
        ++at;
    }
    if (at < pattern.size() && pattern[at] >= '1' && pattern[at] <= '9') {
        field.width = pattern[at] - '0';
        ++at;
    }
    if (at >= pattern.size() || pattern[at] != 'd' || (field.zeros && field.width == 0)) {
        return std::nullopt;
    }
    field.end = at + 1;
    return field;
}

}  // namespace

CalcRegion FrameRegion(const CalcRegion& first, const CalcRegion& last, int32_t frame, int32_t frames)
{
    if (frame == 0) {
        return first;
    }
    if (frame == frames - 1) {
        return last;
    }
    const auto axisOf = [](double min, double max) { return Axis{(min + max) / 2.0, max - min}; };
    const Axis x = FrameAxis(axisOf(first.xmin, first.xmax), axisOf(last.xmin, last.xmax), frame, frames);
    const Axis y = FrameAxis(axisOf(first.ymin, first.ymax), axisOf(last.ymin, last.ymax), frame, frames);
    return {x.centre - x.extent / 2.0, y.centre - y.extent / 2.0, x.centre + x.extent / 2.0, y.centre + y.extent / 2.0};
}

Status CheckPattern(std::string_view pattern)
{
    int fields = 0;
    for (size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != '%') {
            continue;
        }
        if (at + 1 < pattern.size() && pattern[at + 1] == '%') {
            ++at;
            continue;
        }
        const std::optional<Field> field = FieldAt(pattern, at + 1);
        if (!field) {
            return Failure::Because("its '%' begins no field %d, %0Nd or %Nd (write %% for a percent sign)");
        }
        ++fields;
        at = field->end - 1;
    }
    if (fields != 1) {
        return Failure::Because(fields == 0 ? "it has no field for the frame's number, such as %05d"
                                            : "it has more than one field for the frame's number");
    }
    return {};
}

std::string FrameName(std::string_view pattern, int32_t frame)
{
    std::string name;
    for (size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != '%') {
            name += pattern[at];
        } else if (pattern[at + 1] == '%') {
            name += '%';
            ++at;
        } else {
            const Field field = *FieldAt(pattern, at + 1);
            const std::string number = std::to_string(frame);
            name.append(static_cast<size_t>(std::max<int>(field.width - static_cast<int>(number.size()), 0)),
                        field.zeros ? '0' : ' ');
            name += number;
            at = field.end - 1;
        }
    }
    return name;
}

std::vector<int32_t> FramesOfShard(const std::vector<double>& frameCosts, int32_t shard, int32_t shards)
{
    std::vector<int32_t> byCost(frameCosts.size());
    std::iota(byCost.begin(), byCost.end(), 0);
    std::stable_sort(byCost.begin(), byCost.end(), [&](int32_t a, int32_t b) {
        return frameCosts[static_cast<size_t>(a)] > frameCosts[static_cast<size_t>(b)];
    });
    std::vector<double> load(static_cast<size_t>(shards), 0.0);
    std::vector<int32_t> frames;
    for (int32_t frame : byCost) {
        const auto least = std::min_element(load.begin(), load.end()) - load.begin();
        load[static_cast<size_t>(least)] += frameCosts[static_cast<size_t>(frame)];
        if (least == shard) {
            frames.push_back(frame);
        }
    }
    std::sort(frames.begin(), frames.end());
    return frames;
}

double FrameCost(Size grid, double xRange)
{
    return static_cast<double>(grid.height) * kSubSamples * IterationCount(grid.width, xRange);
}
