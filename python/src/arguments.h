// The values a Python caller passes, read into what the job floor computes. Whatever is passed,
// a value that cannot be taken raises TypeError (not of a kind that fits) or ValueError (out of
// range), told with the words of corvalis-render's messages and the Python argument's name.
#pragma once

#include "job/computation.h"
#include "job/picture_rows.h"

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>

namespace py = pybind11;

// (XMIN, YMIN, XMAX, YMAX), each axis ordered, checked that it can be computed.
CalcRegion ReadRegion(py::handle region);

// The computation of a region on a grid (W, H) or fitted to a client area (CW, CH), exactly one
// of them not None, in `stripes` stripes (None: one per processor). Without `fit` (a null
// handle) the grid is needed.
Computation ReadComputation(py::handle region, py::handle grid, py::handle fit, py::handle stripes);

// The threads that share the rows out: 1..kMaxThreads, None for one per processor.
int32_t ReadThreads(py::handle threads);

// Whether a value is true, as Python's bool() takes it.
bool ReadTruth(py::handle value);

// A colour scheme by its name, whether it runs reversed, and a shading by its name.
PictureStyle ReadStyle(py::handle scheme, py::handle reverse, py::handle shade);

// Shard (I, N) of the computation's rows; None for all of them. A shard needs stripes given:
// `stripesGiven` says whether they were.
Shard ReadShard(py::handle shard, bool stripesGiven);

// A file name (str or os.PathLike) as UTF-8; nothing for None.
std::optional<std::string> ReadFileName(py::handle name, const char* argument);
