// Follows a computation that runs on the calling thread with the interpreter lock released, so
// that other Python threads go on meanwhile. The computation's cancel check takes the lock back
// for a moment at most every kLookInterval: it runs the signal handlers (Ctrl+C raises
// KeyboardInterrupt there) and tells the progress callback how far the rows are. An exception
// raised there stops the computation at once; Raise gives it to the caller.
#pragma once

#include "job/row_source.h"
#include "platform/result.h"

#include <pybind11/pybind11.h>

#include <chrono>
#include <cstdint>
#include <optional>

namespace py = pybind11;

inline constexpr std::chrono::milliseconds kLookInterval{50};

class Watch {
public:
    // `progress`, unless None, is called as progress(done, to_do) with the rows done.
    explicit Watch(py::object progress);
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    // The checks for a RowSource on the calling thread, valid as long as the watch.
    CancelCheck Cancel();
    ProgressReport Progress();

    // Raises what stopped a computation of `grid`: the exception caught while it ran,
    // MemoryError where memory ran out, otherwise `otherwise` with the failure's message. With
    // the interpreter lock held.
    [[noreturn]] void Raise(const Failure& failure, Size grid, PyObject* otherwise);

private:
    bool Look();

    py::object m_progress;
    std::optional<py::error_already_set> m_raised;
    std::chrono::steady_clock::time_point m_lastLook = std::chrono::steady_clock::now();
    int64_t m_done = 0;
    int64_t m_toDo = 0;
    int64_t m_doneShown = -1;
};
