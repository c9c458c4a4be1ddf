// _corvalis: the computations of the Python package corvalis on the job floor. The package's
// __init__.py gives them their documented signatures; here the arguments are read, the rows
// computed with the interpreter lock released, and the results written straight into NumPy
// arrays, a row at a time.
#include "arguments.h"
#include "watch.h"

#include "core/calc_layout.h"
#include "core/lyapunov.h"
#include "job/byte_sink.h"
#include "job/render_job.h"
#include "job/row_source.h"
#include "job/rows_file.h"
#include "render/color_scale.h"
#include "tools/render_options.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace py = pybind11;

namespace {

// Computes the computation's rows of its shard from the top down on `threads` threads, with the
// extras asked for, and hands each to `take`. Without the interpreter lock.
Status ForEachRow(const Computation& computation, int32_t threads, RowExtras extras, Watch& watch, const RowTaker& take)
{
    return ForEachRow(computation, threads, nullptr, {.cancel = watch.Cancel(), .progress = watch.Progress()}, take,
                      extras);
}

void CopyLevels(const int32_t* levels, int32_t width, uint8_t* out)
{
    for (int32_t column = 0; column < width; ++column) {
        out[column] = static_cast<uint8_t>(levels[column]);
    }
}

// An array of `rows` rows, each of shape `rowShape` (none: one value a row), not yet filled.
template <class Value>
py::array_t<Value> EmptyRows(int32_t rows, const std::vector<py::ssize_t>& rowShape)
{
    std::vector<py::ssize_t> shape{rows};
    shape.insert(shape.end(), rowShape.begin(), rowShape.end());
    return py::array_t<Value>(shape);
}

// The shape of a row's values: one a sub-sample, or one for the row.
std::vector<py::ssize_t> SubSampleShape(bool eachSubSample)
{
    return eachSubSample ? std::vector<py::ssize_t>{kSubSamples} : std::vector<py::ssize_t>{};
}

// An array of the computation's rows, row 0 the top, each row's values of shape `rowShape`
// (none: one value a row) written by fill(row, out) as the row is computed.
template <class Value, class FillRow>
py::array_t<Value> RowArray(const Computation& computation, py::handle threads, py::object progress,
                            const std::vector<py::ssize_t>& rowShape, RowExtras extras, const FillRow& fill)
{
    const int32_t threadCount = ReadThreads(threads);
    const Size size = computation.grid;
    py::array_t<Value> values = EmptyRows<Value>(size.height, rowShape);
    const int64_t valuesPerRow = values.size() / size.height;
    Value* const first = values.mutable_data();
    Watch watch(std::move(progress));
    Status done;
    {
        py::gil_scoped_release released;
        done = ForEachRow(computation, threadCount, extras, watch, [&](const SourceRow& row) {
            return fill(row, first + int64_t{size.height - 1 - row.row} * valuesPerRow);
        });
    }
    if (!done) {
        watch.Raise(done.Error(), size, PyExc_RuntimeError);
    }
    return values;
}

py::array_t<uint8_t> Levels(py::handle region, py::handle grid, py::handle stripes, py::handle threads,
                            py::object progress)
{
    const Computation computation = ReadComputation(region, grid, py::handle(), stripes);
    return RowArray<uint8_t>(computation, threads, std::move(progress), {computation.grid.width}, {},
                             [width = computation.grid.width](const SourceRow& row, uint8_t* out) {
                                 CopyLevels(row.levels, width, out);
                                 return Status{};
                             });
}

py::array_t<uint64_t> Counts(py::handle region, py::handle grid, py::handle stripes, py::handle threads,
                             py::object progress)
{
    // Every row here is computed, so it comes with its hits.
    const Computation computation = ReadComputation(region, grid, py::handle(), stripes);
    return RowArray<uint64_t>(computation, threads, std::move(progress), {computation.grid.width}, {},
                              [width = computation.grid.width](const SourceRow& row, uint64_t* out) {
                                  std::copy(row.hits, row.hits + width, out);
                                  return Status{};
                              });
}

// Each row's λ, the mean of its sub-samples' as SummarizeRowLyapunov makes it, or with
// `subSamples` the sub-samples' own, in their order.
py::array_t<double> Lyapunov(py::handle region, py::handle grid, py::handle stripes, py::handle threads,
                             py::handle subSamples, py::object progress)
{
    const Computation computation = ReadComputation(region, grid, py::handle(), stripes);
    const bool eachSubSample = ReadTruth(subSamples);
    return RowArray<double>(computation, threads, std::move(progress), SubSampleShape(eachSubSample),
                            {.lyapunov = true}, [eachSubSample](const SourceRow& row, double* out) -> Status {
                                if (row.lyapunov == nullptr) {
                                    return Failure::Because("a row came without the Lyapunov exponents asked for");
                                }
                                if (eachSubSample) {
                                    std::copy(row.lyapunov, row.lyapunov + kSubSamples, out);
                                } else {
                                    *out = SummarizeRowLyapunov(row.lyapunov).lambda;
                                }
                                return Status{};
                            });
}

// The parameter a of every row, row 0 the top: its own (that of sub-sample 0), or with
// `subSamples` those of its sub-samples, the very doubles the computation iterates with.
py::array_t<double> RowParameters(py::handle region, py::handle grid, py::handle stripes, py::handle subSamples)
{
    const Computation computation = ReadComputation(region, grid, py::handle(), stripes);
    const bool eachSubSample = ReadTruth(subSamples);
    const int perRow = eachSubSample ? kSubSamples : 1;
    const Size size = computation.grid;
    py::array_t<double> parameters = EmptyRows<double>(size.height, SubSampleShape(eachSubSample));
    double* const first = parameters.mutable_data();
    for (int32_t i = 0; i < computation.stripes; ++i) {
        const RowRange rows = StripeBounds(i, computation.stripes, size.height);
        const StripeSpec stripe = StripeFor(nullptr, size, computation.region, rows);
        for (int32_t row = rows.first; row < rows.last; ++row) {
            double* const out = first + int64_t{size.height - 1 - row} * perRow;
            for (int subSample = 0; subSample < perRow; ++subSample) {
                out[subSample] = SubSampleParameter(stripe, row - rows.first, subSample);
            }
        }
    }
    return parameters;
}

py::array_t<uint8_t> Picture(py::handle region, py::handle grid, py::handle fit, py::handle scheme, py::handle reverse,
                             py::handle shade, py::handle stripes, py::handle threads, py::object progress)
{
    RenderJob job;
    job.computation = ReadComputation(region, grid, fit, stripes);
    job.style = ReadStyle(scheme, reverse, shade);
    job.threads = ReadThreads(threads);
    Watch watch(std::move(progress));
    const Result<PictureRows> rows = PictureRows::Make(job.computation, job.style);
    if (!rows) {
        watch.Raise(rows.Error(), job.computation.grid, PyExc_RuntimeError);
    }
    const Size size = rows->PictureSize();
    py::array_t<uint8_t> pixels({py::ssize_t{size.height}, py::ssize_t{size.width}, py::ssize_t{3}});
    uint8_t* next = pixels.mutable_data();
    RenderSinks sinks;
    // Each picture row as it is finished, from the top: R, G, B of every pixel.
    sinks.pictureRows = [&next, width = size.width](const uint32_t* colours) {
        for (int32_t column = 0; column < width; ++column) {
            *next++ = static_cast<uint8_t>(colours[column] >> 16);
            *next++ = static_cast<uint8_t>(colours[column] >> 8);
            *next++ = static_cast<uint8_t>(colours[column]);
        }
        return Status{};
    };
    Status done;
    {
        py::gil_scoped_release released;
        done = RenderRows(job, sinks, nullptr, {.cancel = watch.Cancel(), .progress = watch.Progress()});
    }
    if (!done) {
        watch.Raise(done.Error(), job.computation.grid, PyExc_RuntimeError);
    }
    return pixels;
}

// The PNG that corvalis-render -o writes, with the same text chunks.
py::bytes Png(py::handle region, py::handle grid, py::handle fit, py::handle scheme, py::handle reverse,
              py::handle shade, py::handle stripes, py::handle threads, py::object progress)
{
    RenderJob job;
    job.computation = ReadComputation(region, grid, fit, stripes);
    job.style = ReadStyle(scheme, reverse, shade);
    job.threads = ReadThreads(threads);
    job.pictureTexts = {{"Software", "corvalis-render " CORVALIS_VERSION},
                        {"Command", ReproducingCommand(job.computation, job.style)}};
    Watch watch(std::move(progress));
    StringSink png;
    Status done;
    {
        py::gil_scoped_release released;
        RenderSinks sinks;
        sinks.picture = {&png, "the PNG"};
        done = RenderRows(job, sinks, nullptr, {.cancel = watch.Cancel(), .progress = watch.Progress()});
    }
    if (!done) {
        watch.Raise(done.Error(), job.computation.grid, PyExc_RuntimeError);
    }
    return py::bytes(png.Bytes());
}

// A failure of the rows file, told as corvalis-render tells one of --rows: "keep 'x.rows': ...",
// or "keep: ..." where the message names no file.
[[noreturn]] void RaiseKeepFailure(const Failure& failure)
{
    const std::string& message = failure.Message();
    PyErr_SetString(PyExc_OSError, ("keep" + std::string(message.starts_with('\'') ? " " : ": ") + message).c_str());
    throw py::error_already_set();
}

// The rows of a computation's shard from the top down, each computed (or read from the rows
// file) when it is asked for, and kept in the rows file if there is one. Only the rows in flight
// are held in memory.
class RowIterator {
public:
    RowIterator(const Computation& computation, int32_t threads, std::optional<KeptRows> kept, py::object progress)
        : m_computation(computation), m_threads(threads), m_kept(std::move(kept)), m_watch(std::move(progress))
    {
    }
    RowIterator(const RowIterator&) = delete;
    RowIterator& operator=(const RowIterator&) = delete;

    py::tuple Next()
    {
        if (m_busy) {
            throw py::value_error("the rows are being computed on another thread");
        }
        if (m_done) {
            throw py::stop_iteration();
        }
        const Size grid = m_computation.grid;
        py::array_t<uint8_t> levels(py::ssize_t{grid.width});
        uint8_t* const out = levels.mutable_data();
        m_busy = true;
        const Result<int32_t> row = [&] {
            py::gil_scoped_release released;
            return NextRow(out);
        }();
        m_busy = false;
        if (!row) {
            PyObject* const kind = m_kept ? PyExc_OSError : PyExc_RuntimeError;  // a rows file's failure
            static_cast<void>(End());                                            // the row's failure is the one to tell
            m_watch.Raise(row.Error(), grid, kind);
        }
        if (*row < 0) {
            Close();
            throw py::stop_iteration();
        }
        return py::make_tuple(grid.height - 1 - *row, std::move(levels));
    }

    // Ends the computation; the rows kept so far stay in the rows file, made durable.
    void Close()
    {
        if (m_busy) {
            throw py::value_error("the rows are being computed on another thread");
        }
        if (Status synced = End(); !synced) {
            RaiseKeepFailure(synced.Error());
        }
    }

private:
    // Stops the threads and makes the kept rows durable; whether they are.
    Status End()
    {
        m_done = true;
        py::gil_scoped_release released;
        m_source.reset();
        Status synced = m_kept ? m_kept->Sync() : Status{};
        m_kept.reset();
        return synced;
    }

    // The next row's levels into `out`, and the row; -1 after the last.
    Result<int32_t> NextRow(uint8_t* out)
    {
        if (!m_source) {
            m_source = std::make_unique<RowSource>(m_computation, RowRange{0, m_computation.grid.height},
                                                   m_kept ? &*m_kept : nullptr, m_watch.Cancel(), m_watch.Progress());
            if (Status started = m_source->Start(m_threads); !started) {
                return started.Error();
            }
        }
        const Result<SourceRow> next = m_source->Next();
        if (!next) {
            return next.Error();
        }
        if (next->row >= 0) {
            CopyLevels(next->levels, m_computation.grid.width, out);
        }
        return next->row;
    }

    const Computation m_computation;
    const int32_t m_threads;
    std::optional<KeptRows> m_kept;  // before the source, which reads and keeps rows there
    Watch m_watch;
    std::unique_ptr<RowSource> m_source;  // made on the first row asked for
    bool m_busy = false;
    bool m_done = false;
};

std::unique_ptr<RowIterator> Rows(py::handle region, py::handle grid, py::handle stripes, py::handle threads,
                                  py::handle shard, py::handle keep, py::object progress)
{
    Computation computation = ReadComputation(region, grid, py::handle(), stripes);
    const int32_t threadCount = ReadThreads(threads);
    computation.shard = ReadShard(shard, !stripes.is_none());
    const std::optional<std::string> keepName = ReadFileName(keep, "keep");
    std::optional<KeptRows> kept;
    if (keepName) {
        Result<KeptRows> opened = [&] {
            py::gil_scoped_release released;
            return KeptRows::OpenToKeep(*keepName, computation);
        }();
        if (!opened) {
            RaiseKeepFailure(opened.Error());
        }
        kept.emplace(std::move(*opened));
    }
    return std::make_unique<RowIterator>(computation, threadCount, std::move(kept), std::move(progress));
}

py::tuple Region(py::handle region)
{
    const CalcRegion ordered = ReadRegion(region);
    return py::make_tuple(ordered.xmin, ordered.ymin, ordered.xmax, ordered.ymax);
}

}  // namespace

PYBIND11_MODULE(_corvalis, module)
{
    module.doc() = "The computations of the package corvalis; use them through corvalis.";
    module.attr("__version__") = CORVALIS_VERSION;
    py::list schemes;
    for (const ColorSchemeRow& row : kColorSchemes) {
        schemes.append(py::str(std::string(row.name)));
    }
    module.attr("SCHEMES") = py::tuple(schemes);
    py::list shadings;
    for (const ShadingRow& row : kShadings) {
        shadings.append(py::str(std::string(row.name)));
    }
    module.attr("SHADINGS") = py::tuple(shadings);
    module.attr("MAX_GRID_SIDE") = kMaxGridSide;

    module.def("region", &Region, py::arg("region"));
    module.def("levels", &Levels, py::arg("region"), py::arg("grid"), py::arg("stripes"), py::arg("threads"),
               py::arg("progress"));
    module.def("counts", &Counts, py::arg("region"), py::arg("grid"), py::arg("stripes"), py::arg("threads"),
               py::arg("progress"));
    module.def("lyapunov", &Lyapunov, py::arg("region"), py::arg("grid"), py::arg("stripes"), py::arg("threads"),
               py::arg("sub_samples"), py::arg("progress"));
    module.def("row_parameters", &RowParameters, py::arg("region"), py::arg("grid"), py::arg("stripes"),
               py::arg("sub_samples"));
    module.def("picture", &Picture, py::arg("region"), py::arg("grid"), py::arg("fit"), py::arg("scheme"),
               py::arg("reverse"), py::arg("shade"), py::arg("stripes"), py::arg("threads"), py::arg("progress"));
    module.def("png", &Png, py::arg("region"), py::arg("grid"), py::arg("fit"), py::arg("scheme"), py::arg("reverse"),
               py::arg("shade"), py::arg("stripes"), py::arg("threads"), py::arg("progress"));
    module.def("rows", &Rows, py::arg("region"), py::arg("grid"), py::arg("stripes"), py::arg("threads"),
               py::arg("shard"), py::arg("keep"), py::arg("progress"));
    py::class_<RowIterator>(module, "RowIterator")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", &RowIterator::Next)
        .def("close", &RowIterator::Close);
}
