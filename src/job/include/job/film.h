// Zoom films: the regions of a steady zoom from one region to another, the
// names of the frames' files, and the frames dealt to shards of about the same cost.
#pragma once

#include "core/calc_region.h"
#include "platform/geometry.h"
#include "platform/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int32_t kMaxFrames = 100000;

// The region of frame `frame` of `frames` (at least 2) from `first` to `last`. On each axis the
// extent is the first's times q^frame, with q the (frames − 1)th root of last ÷ first, so each
// frame's extent is the one before times q; the centre moves by the same share of its way as
// the extent has changed, c = c₀ + (c₁ − c₀) × (e₀ − e) ÷ (e₀ − e₁), which keeps still the one
// point that the zoom keeps still: the film neither drifts nor jumps. Where an axis keeps its
// extent, its centre moves by equal steps. The first and the last frame are the regions given.
CalcRegion FrameRegion(const CalcRegion& first, const CalcRegion& last, int32_t frame, int32_t frames);

// A file name pattern with one integer field as printf writes it: %d, or %0Nd / %Nd for a
// width of N (1..9); %% is a percent sign. A failure that says why it is not one.
Status CheckPattern(std::string_view pattern);

// The pattern with the field filled in.
std::string FrameName(std::string_view pattern, int32_t frame);

// The frames of a film that shard `shard` of `shards` computes, in order: the costliest frames
// first each go to the shard with the least cost so far (the lowest such shard on a tie).
std::vector<int32_t> FramesOfShard(const std::vector<double>& frameCosts, int32_t shard, int32_t shards);

// What a frame of a grid costs: its rows times the iterations of a row,
// 10 × trunc(100 × W ÷ xr).
double FrameCost(Size grid, double xRange);
