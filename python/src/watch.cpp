#include "watch.h"

#include "job/computation.h"

Watch::Watch(py::object progress) : m_progress(std::move(progress))
{
    if (m_progress.is_none()) {
        m_progress = py::object();
    }
}

CancelCheck Watch::Cancel()
{
    return [this] { return Look(); };
}

ProgressReport Watch::Progress()
{
    return [this](int64_t done, int64_t toDo) {
        m_done = done;
        m_toDo = toDo;
    };
}

bool Watch::Look()
{
    if (m_raised) {
        return true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastLook < kLookInterval) {
        return false;
    }
    m_lastLook = now;
    py::gil_scoped_acquire held;
    try {
        if (PyErr_CheckSignals() != 0) {
            throw py::error_already_set();
        }
        if (m_progress && m_toDo > 0 && m_done != m_doneShown) {
            m_doneShown = m_done;
            m_progress(m_done, m_toDo);
        }
    } catch (py::error_already_set& raised) {
        m_raised.emplace(std::move(raised));
    }
    return m_raised.has_value();
}

void Watch::Raise(const Failure& failure, Size grid, PyObject* otherwise)
{
    if (m_raised) {
        py::error_already_set raised = std::move(*m_raised);
        m_raised.reset();
        throw raised;
    }
    if (failure.IsInterrupt()) {
        PyErr_SetNone(PyExc_KeyboardInterrupt);
    } else if (failure.Message() == OutOfMemory(grid).Message()) {
        PyErr_SetString(PyExc_MemoryError, failure.Message().c_str());
    } else {
        PyErr_SetString(otherwise, failure.Message().c_str());
    }
    throw py::error_already_set();
}
