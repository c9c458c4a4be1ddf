#include "arguments.h"

#include "platform/system_info.h"
#include "render/color_scale.h"

#include <cmath>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void Refuse(const std::string& message)
{
    throw py::value_error(message);
}

[[noreturn]] void Mistyped(const std::string& message)
{
    throw py::type_error(message);
}

std::string Repr(py::handle value)
{
    return py::repr(value).cast<std::string>();
}

// The items of a tuple or list of `count` values; what it needs otherwise. A string is no
// sequence of values here.
std::vector<py::object> Items(py::handle value, size_t count, const std::string& needs)
{
    if (!PySequence_Check(value.ptr()) || PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr()) ||
        PyByteArray_Check(value.ptr())) {
        Mistyped(needs);
    }
    const py::sequence sequence = py::reinterpret_borrow<py::sequence>(value);
    if (py::len(sequence) != count) {
        Refuse(needs);
    }
    std::vector<py::object> items;
    for (size_t k = 0; k < count; ++k) {
        items.push_back(sequence[k]);
    }
    return items;
}

// A real number that is finite.
double ReadNumber(py::handle value, const std::string& argument)
{
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred() != nullptr) {
        if (PyErr_ExceptionMatches(PyExc_TypeError) != 0) {
            PyErr_Clear();
            Mistyped(argument + ": " + Repr(value) + " is not a number");
        }
        if (PyErr_ExceptionMatches(PyExc_OverflowError) == 0) {
            throw py::error_already_set();  // raised by the value's own conversion
        }
        PyErr_Clear();
    } else if (std::isfinite(number)) {
        return number;
    }
    Refuse(argument + ": " + Repr(value) + " is not a finite number");
}

// A whole number from `least` to `most`; `refusal` says what is taken.
int32_t ReadWhole(py::handle value, int32_t least, int32_t most, const std::string& refusal)
{
    PyObject* index = PyNumber_Index(value.ptr());
    if (index == nullptr) {
        if (PyErr_ExceptionMatches(PyExc_TypeError) == 0) {
            throw py::error_already_set();  // raised by the value's own conversion
        }
        PyErr_Clear();
        Mistyped(refusal);
    }
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(index, &overflow);
    Py_DECREF(index);
    if (overflow != 0 || number < least || number > most) {
        Refuse(refusal);
    }
    return static_cast<int32_t>(number);
}

// A size (W, H) or client area (CW, CH) with both sides from `least` to kMaxGridSide.
Size ReadSize(py::handle value, const std::string& argument, const std::string& what, int32_t least)
{
    const std::vector<py::object> sides = Items(value, 2, argument + " needs " + what);
    const std::string refusal = argument + ": " + Repr(value) + " is not " + what + " with whole numbers from " +
                                std::to_string(least) + " to " + std::to_string(kMaxGridSide);
    return {ReadWhole(sides[0], least, kMaxGridSide, refusal), ReadWhole(sides[1], least, kMaxGridSide, refusal)};
}

// A count from 1 to `most`; `byDefault` for None.
int32_t ReadCount(py::handle value, const std::string& argument, int32_t most, int32_t byDefault)
{
    if (value.is_none()) {
        return byDefault;
    }
    return ReadWhole(value, 1, most,
                     argument + ": " + Repr(value) + " is not a whole number from 1 to " + std::to_string(most));
}

// The value of the row of a table (the colour schemes, the shadings) whose name a string gives.
template <class Rows, class Find>
auto ReadName(py::handle value, const std::string& argument, const Rows& rows, Find find)
{
    std::string names;
    for (const auto& row : rows) {
        names += (names.empty() ? "" : ", ") + std::string(row.name);
    }
    const std::string refusal = argument + ": " + Repr(value) + " is not one of " + names;
    if (!PyUnicode_Check(value.ptr())) {
        Mistyped(refusal);
    }
    Py_ssize_t length = 0;
    const char* name = PyUnicode_AsUTF8AndSize(value.ptr(), &length);
    if (name == nullptr) {
        PyErr_Clear();  // a string no UTF-8 can hold names no row
        Refuse(refusal);
    }
    const auto found = find(std::string_view(name, static_cast<size_t>(length)));
    if (!found) {
        Refuse(refusal);
    }
    return *found;
}

}  // namespace

CalcRegion ReadRegion(py::handle region)
{
    const std::vector<py::object> corners = Items(region, 4, "region needs four numbers: (XMIN, YMIN, XMAX, YMAX)");
    double corner[4];
    for (size_t k = 0; k < 4; ++k) {
        corner[k] = ReadNumber(corners[k], "region");
    }
    const CalcRegion ordered = OrderedRegion(corner[0], corner[1], corner[2], corner[3]);
    if (Status computable = CheckComputable(ordered, "XMIN YMIN XMAX YMAX"); !computable) {
        Refuse("region: " + computable.Error().Message());
    }
    return ordered;
}

Computation ReadComputation(py::handle region, py::handle grid, py::handle fit, py::handle stripes)
{
    Computation computation;
    computation.region = ReadRegion(region);
    if (fit.ptr() != nullptr) {
        if (!grid.is_none() && !fit.is_none()) {
            Refuse("give either grid or fit, not both");
        }
        if (grid.is_none() && fit.is_none()) {
            Refuse("no grid size: give grid=(W, H) or fit=(CW, CH)");
        }
    }
    if (!grid.is_none() || fit.ptr() == nullptr) {
        computation.grid = ReadSize(grid, "grid", "a size (W, H)", 1);
    } else {
        computation.client = ReadSize(fit, "fit", "a client area (CW, CH)", kMinClientSide);
        if (Status fitted = FitGrid(computation); !fitted) {
            Refuse("fit: " + fitted.Error().Message());
        }
    }
    computation.stripes = ReadCount(stripes, "stripes", kMaxStripes, ProcessorCount());
    return computation;
}

int32_t ReadThreads(py::handle threads)
{
    return ReadCount(threads, "threads", kMaxThreads, ProcessorCount());
}

bool ReadTruth(py::handle value)
{
    const int truth = PyObject_IsTrue(value.ptr());
    if (truth < 0) {
        throw py::error_already_set();
    }
    return truth != 0;
}

PictureStyle ReadStyle(py::handle scheme, py::handle reverse, py::handle shade)
{
    const ColorScheme found = ReadName(scheme, "scheme", kColorSchemes, FindColorScheme);
    const Shading shading = ReadName(shade, "shade", kShadings, FindShading);
    return {found, ReadTruth(reverse), shading};
}

Shard ReadShard(py::handle shard, bool stripesGiven)
{
    if (shard.is_none()) {
        return {};
    }
    const std::vector<py::object> numbers = Items(shard, 2, "shard needs a shard (I, N)");
    const std::string refusal = "shard: " + Repr(shard) +
                                " is not a shard (I, N) with 0 <= I < N <= " + std::to_string(kMaxShards);
    const int32_t count = ReadWhole(numbers[1], 1, kMaxShards, refusal);
    const int32_t index = ReadWhole(numbers[0], 0, count - 1, refusal);
    if (!stripesGiven) {
        Refuse("shard needs stripes: every shard must compute alike, on any machine");
    }
    return {index, count};
}

std::optional<std::string> ReadFileName(py::handle name, const char* argument)
{
    if (name.is_none()) {
        return std::nullopt;
    }
    const py::module_ os = py::module_::import("os");
    py::object path;
    try {
        // The system's own bytes of the name: UTF-8 here, as the file services take it.
        path = os.attr("fsencode")(os.attr("fspath")(name));
    } catch (const py::error_already_set& error) {
        if (!error.matches(PyExc_TypeError)) {
            throw;
        }
        Mistyped(std::string(argument) + " needs a file name");
    }
    std::string text = py::reinterpret_borrow<py::bytes>(path);
    if (text.empty()) {
        Refuse(std::string(argument) + " needs a file name");
    }
    if (text.find('\0') != std::string::npos) {
        Refuse(std::string(argument) + ": " + Repr(name) + " is no file name: it holds a null character");
    }
    return text;
}
