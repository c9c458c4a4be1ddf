#include "job/render_job.h"

#include "job/lyapunov_table.h"
#include "job/npy_file.h"
#include "job/pgm_file.h"

#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace {

// One output of a job, written a row at a time as the rows come from the top down.
class JobOutput {
public:
    virtual ~JobOutput() = default;
    // Writes what comes before the first row.
    virtual Status Start() = 0;
    virtual Status AddRow(const SourceRow& row) = 0;
    // Writes what is left once every row is added.
    virtual Status Finish() = 0;
};

class LevelsOutput final : public JobOutput {
public:
    LevelsOutput(ByteSink& sink, Size grid) : m_pgm(sink), m_grid(grid) {}
    Status Start() override { return m_pgm.Start(m_grid); }
    Status AddRow(const SourceRow& row) override { return m_pgm.AddRow(row.levels); }
    Status Finish() override { return m_pgm.Finish(); }

private:
    PgmWriter m_pgm;
    Size m_grid;
};

class CountsOutput final : public JobOutput {
public:
    CountsOutput(ByteSink& sink, Size grid) : m_npy(sink), m_grid(grid) {}
    Status Start() override { return m_npy.Start(m_grid); }
    Status AddRow(const SourceRow& row) override
    {
        if (row.hits == nullptr) {
            return Failure::Because("a row read from a rows file of version 1 has no hits, only levels");
        }
        return m_npy.AddRow(row.hits);
    }
    Status Finish() override { return m_npy.Finish(); }

private:
    NpyWriter m_npy;
    Size m_grid;
};

// The table of the rows' λ, each row's line with its parameter. The rows come with their λ, as
// RenderRows asks for it.
class LyapunovOutput final : public JobOutput {
public:
    LyapunovOutput(ByteSink& sink, const Computation& computation) : m_table(sink), m_computation(computation) {}
    Status Start() override { return m_table.Start(); }
    Status AddRow(const SourceRow& row) override
    {
        return m_table.AddRow(m_computation.grid.height - 1 - row.row, RowParameter(m_computation, row.row),
                              SummarizeRowLyapunov(row.lyapunov));
    }
    Status Finish() override { return m_table.Finish(); }

private:
    LyapunovTableWriter m_table;
    const Computation& m_computation;
};

// The coloured picture, as a PNG or as rows of pixels for the caller, its cells shaded from
// their hits unless they are the window's levels.
class PictureOutput final : public JobOutput {
public:
    PictureOutput(ByteSink* png, PictureRowSink pixels, PictureRows picture, std::optional<Shader> shader,
                  int32_t gridWidth, const std::vector<PngText>& texts)
        : m_picture(std::move(picture)),
          m_shader(std::move(shader)),
          m_shaded(m_shader ? static_cast<size_t>(gridWidth) : 0),
          m_texts(texts),
          m_pixels(std::move(pixels))
    {
        if (png != nullptr) {
            m_png.emplace(*png);
        }
    }
    Status Start() override { return m_png ? m_png->Start(m_picture.PictureSize(), m_texts) : Status{}; }
    Status AddRow(const SourceRow& row) override
    {
        if (m_picture.HasLyapunovStrip()) {
            m_picture.SetRowLyapunov(row.row, SummarizeRowLyapunov(row.lyapunov).lambda);
        }
        if (!m_shader) {
            return m_picture.AddRow(row.row, row.levels, m_toSinks);
        }
        m_shader->Shade(row.hits, static_cast<int32_t>(m_shaded.size()), m_shaded.data());
        return m_picture.AddRow(row.row, m_shaded.data(), m_toSinks);
    }
    Status Finish() override { return m_png ? m_png->Finish() : Status{}; }

private:
    PictureRows m_picture;
    std::optional<Shader> m_shader;
    std::vector<int32_t> m_shaded;
    std::optional<PngWriter> m_png;
    const std::vector<PngText>& m_texts;
    const PictureRowSink m_pixels;
    const PictureRowSink m_toSinks = [this](const uint32_t* colours) {
        if (m_png) {
            if (Status written = m_png->AddRow(colours); !written) {
                return written;
            }
        }
        return m_pixels ? m_pixels(colours) : Status{};
    };
};

// An output with a sink, and the name that a failure of its writing is told with.
struct NamedOutput {
    std::unique_ptr<JobOutput> writer;
    const std::string* name;
};

// Whether the job writes its picture, as a PNG or as rows of pixels.
bool WritesPicture(const RenderSinks& sinks)
{
    return sinks.picture.sink != nullptr || sinks.pictureRows;
}

// Why rows files that keep levels only cannot give what is asked of them, before anything is
// written; nothing when they can.
Status CheckKeptHits(const RenderJob& job, const RenderSinks& sinks, const KeptRows* kept)
{
    if (kept == nullptr || kept->KeepsHits()) {
        return {};
    }
    const std::string keepsLevels = "the rows files keep levels only (a rows file of version 1), and ";
    const std::string again = " needs the hits of every cell: compute the rows again into a new rows file";
    if (sinks.counts.sink != nullptr) {
        return Failure::Because(keepsLevels + "the counts output" + again);
    }
    if (WritesPicture(sinks) && NeedsHits(job.style.shading)) {
        return Failure::Because(keepsLevels + "the shading " + std::string(ShadingName(job.style.shading)) + again);
    }
    return {};
}

// The shader of the job's picture: for equalisation, after a first pass over every row (kept
// in `kept` as it goes, so that the pass that writes reads them there); none for the window's
// levels.
Result<std::optional<Shader>> PictureShader(const RenderJob& job, KeptRows* kept, const RenderHooks& hooks)
{
    const Shading shading = job.style.shading;
    if (shading == Shading::Levels) {
        return std::optional<Shader>();
    }
    if (!NeedsEveryRowFirst(shading)) {
        return std::optional(Shader(shading));
    }
    HitsHistogram histogram;
    const int32_t width = job.computation.grid.width;
    Status counted = ForEachRow(job.computation, job.threads, kept, hooks, [&](const SourceRow& row) {
        histogram.Add(row.hits, width);
        return Status{};
    });
    if (!counted) {
        return counted.Error();
    }
    return std::optional(Shader(histogram));
}

// The outputs of the job that have a sink; a failure when rows files cannot give them or the
// picture's size cannot be made, or of the first pass an equalised picture takes.
Result<std::vector<NamedOutput>> MakeOutputs(const RenderJob& job, const RenderSinks& sinks, KeptRows* kept,
                                             const RenderHooks& hooks)
{
    if (Status sound = CheckKeptHits(job, sinks, kept); !sound) {
        return sound.Error();
    }
    const Size grid = job.computation.grid;
    std::vector<NamedOutput> outputs;
    if (sinks.levels.sink != nullptr) {
        outputs.push_back({std::make_unique<LevelsOutput>(*sinks.levels.sink, grid), &sinks.levels.name});
    }
    if (WritesPicture(sinks)) {
        Result<PictureRows> picture = PictureRows::Make(job.computation, job.style);
        if (!picture) {
            return picture.Error();
        }
        Result<std::optional<Shader>> shader = PictureShader(job, kept, hooks);
        if (!shader) {
            return shader.Error();
        }
        outputs.push_back({std::make_unique<PictureOutput>(sinks.picture.sink, sinks.pictureRows, std::move(*picture),
                                                           std::move(*shader), grid.width, job.pictureTexts),
                           &sinks.picture.name});
    }
    if (sinks.counts.sink != nullptr) {
        outputs.push_back({std::make_unique<CountsOutput>(*sinks.counts.sink, grid), &sinks.counts.name});
    }
    if (sinks.lyapunov.sink != nullptr) {
        outputs.push_back(
            {std::make_unique<LyapunovOutput>(*sinks.lyapunov.sink, job.computation), &sinks.lyapunov.name});
    }
    return outputs;
}

// Takes one step of every output in turn; the first failure, told with its output's name (an
// interrupt stays one).
Status EachOutput(const std::vector<NamedOutput>& outputs, const std::function<Status(JobOutput&)>& step)
{
    for (const NamedOutput& output : outputs) {
        if (Status done = step(*output.writer); !done) {
            return CannotWrite(*output.name, done.Error());
        }
    }
    return {};
}

}  // namespace

Status ForEachRow(const Computation& computation, int32_t threads, KeptRows* kept, const RenderHooks& hooks,
                  const RowTaker& take, RowExtras extras)
{
    RowSource source(computation, {0, computation.grid.height}, kept, hooks.cancel, hooks.progress, extras);
    if (Status started = source.Start(threads); !started) {
        return started;
    }
    for (;;) {
        const Result<SourceRow> next = source.Next();
        if (!next) {
            return next.Error();
        }
        if (next->row < 0) {
            return {};
        }
        if (Status taken = take(*next); !taken) {
            return taken;
        }
    }
}

Status RenderRows(const RenderJob& job, const RenderSinks& sinks, KeptRows* kept, const RenderHooks& hooks)
{
    Result<std::vector<NamedOutput>> outputs = MakeOutputs(job, sinks, kept, hooks);
    if (!outputs) {
        return outputs.Error();
    }
    if (Status started = EachOutput(*outputs, [](JobOutput& output) { return output.Start(); }); !started) {
        return started;
    }
    const RowExtras extras{.lyapunov = sinks.lyapunov.sink != nullptr ||
                                       (WritesPicture(sinks) && job.style.lyapunovStrip)};
    Status rows = ForEachRow(
        job.computation, job.threads, kept, hooks,
        [&](const SourceRow& row) {
            return EachOutput(*outputs, [&row](JobOutput& output) { return output.AddRow(row); });
        },
        extras);
    if (!rows) {
        return rows;
    }
    if (Status finished = EachOutput(*outputs, [](JobOutput& output) { return output.Finish(); }); !finished) {
        return finished;
    }
    if (hooks.cancel()) {
        return Failure::Interrupt();
    }
    return kept != nullptr ? kept->Sync() : Status{};
}

Status RunRenderJob(const RenderJob& job, KeptRows* kept, const RenderHooks& hooks)
{
    try {
        OutputTransaction transaction;
        RenderSinks sinks;
        // The files that are replaced are opened first: a FIFO's opening waits for its reader.
        for (const bool replaced : {true, false}) {
            for (const auto& [target, output] :
                 {std::pair{&job.levels, &sinks.levels}, std::pair{&job.counts, &sinks.counts},
                  std::pair{&job.picture, &sinks.picture}, std::pair{&job.lyapunov, &sinks.lyapunov}}) {
                if (!*target || ((*target)->kind == OutputTarget::Kind::Replace) != replaced) {
                    continue;
                }
                Result<ByteSink*> opened = transaction.Open(**target);
                if (!opened) {
                    return CannotWrite((*target)->name, opened.Error());
                }
                *output = {*opened, (*target)->name};
            }
        }
        if (Status written = RenderRows(job, sinks, kept, hooks); !written) {
            return written;
        }
        return transaction.Commit();
    } catch (const std::bad_alloc&) {
        return OutOfMemory(job.computation.grid);
    }
}
