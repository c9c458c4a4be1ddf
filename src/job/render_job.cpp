#include "job/render_job.h"

#include "job/npy_file.h"
#include "job/pgm_file.h"

#include <functional>
#include <memory>
#include <new>

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
            return Failure::Because("rows read from a rows file have no hits, only levels");
        }
        return m_npy.AddRow(row.hits);
    }
    Status Finish() override { return m_npy.Finish(); }

private:
    NpyWriter m_npy;
    Size m_grid;
};

class PictureOutput final : public JobOutput {
public:
    PictureOutput(ByteSink& sink, PictureRows picture, const std::vector<PngText>& texts)
        : m_picture(std::move(picture)), m_png(sink), m_texts(texts)
    {
    }
    Status Start() override { return m_png.Start(m_picture.PictureSize(), m_texts); }
    Status AddRow(const SourceRow& row) override { return m_picture.AddRow(row.row, row.levels, m_toPng); }
    Status Finish() override { return m_png.Finish(); }

private:
    PictureRows m_picture;
    PngWriter m_png;
    const std::vector<PngText>& m_texts;
    const PictureRowSink m_toPng = [this](const uint32_t* colours) { return m_png.AddRow(colours); };
};

// An output with a sink, and the name that a failure of its writing is told with.
struct NamedOutput {
    std::unique_ptr<JobOutput> writer;
    const std::string* name;
};

// The outputs of the job that have a sink; a failure when the picture's size cannot be made.
Result<std::vector<NamedOutput>> MakeOutputs(const RenderJob& job, const RenderSinks& sinks)
{
    const Size grid = job.computation.grid;
    std::vector<NamedOutput> outputs;
    if (sinks.levels.sink != nullptr) {
        outputs.push_back({std::make_unique<LevelsOutput>(*sinks.levels.sink, grid), &sinks.levels.name});
    }
    if (sinks.picture.sink != nullptr) {
        Result<PictureRows> picture = PictureRows::Make(job.computation, job.style);
        if (!picture) {
            return picture.Error();
        }
        outputs.push_back({std::make_unique<PictureOutput>(*sinks.picture.sink, std::move(*picture), job.pictureTexts),
                           &sinks.picture.name});
    }
    if (sinks.counts.sink != nullptr) {
        outputs.push_back({std::make_unique<CountsOutput>(*sinks.counts.sink, grid), &sinks.counts.name});
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

Status RenderRows(const RenderJob& job, const RenderSinks& sinks, KeptRows* kept, const RenderHooks& hooks)
{
    Result<std::vector<NamedOutput>> outputs = MakeOutputs(job, sinks);
    if (!outputs) {
        return outputs.Error();
    }
    RowSource source(job.computation, {0, job.computation.grid.height}, kept, hooks.cancel, hooks.progress);
    if (Status started = source.Start(job.threads); !started) {
        return started;
    }
    if (Status started = EachOutput(*outputs, [](JobOutput& output) { return output.Start(); }); !started) {
        return started;
    }
    for (;;) {
        const Result<SourceRow> next = source.Next();
        if (!next) {
            return next.Error();
        }
        if (next->row < 0) {
            break;
        }
        if (Status written = EachOutput(*outputs, [&next](JobOutput& output) { return output.AddRow(*next); });
            !written) {
            return written;
        }
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
                  std::pair{&job.picture, &sinks.picture}}) {
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
