#include "job/render_job.h"

#include "job/pgm_file.h"

#include <new>

namespace {

// A failure of the output's writing, told with its name; the computation's own are told as
// they are.
Status Named(const RenderSinks::Output& output, Status status)
{
    return status ? status : Status{CannotWrite(output.name, status.Error())};
}

}  // namespace

Status ForEachRow(const Computation& computation, int32_t threads, KeptRows* kept, const RenderHooks& hooks,
                  const RowTaker& take)
{
    RowSource source(computation, {0, computation.grid.height}, kept, hooks.cancel, hooks.progress);
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

namespace {

// The shader of the job's picture: for equalisation, after a first pass over every row (kept
// in `kept` as it goes, so that the pass that writes reads them there).
Result<Shader> PictureShader(const RenderJob& job, KeptRows* kept, const RenderHooks& hooks)
{
    const Shading shading = job.style.shading;
    if (NeedsHits(shading) && kept != nullptr && !kept->KeepsHits()) {
        return Failure::Because("the rows files keep levels only (a rows file of version 1), and the shading " +
                                std::string(ShadingName(shading)) +
                                " needs the hits of every cell: compute the rows again into a new rows file");
    }
    if (!NeedsEveryRowFirst(shading)) {
        return Shader(shading);
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
    return Shader(histogram);
}

}  // namespace

Status RenderRows(const RenderJob& job, const RenderSinks& sinks, KeptRows* kept, const RenderHooks& hooks)
{
    const Size grid = job.computation.grid;
    std::optional<PgmWriter> levels;
    std::optional<PngWriter> png;
    std::optional<PictureRows> picture;
    std::optional<Shader> shader;
    if (sinks.levels.sink != nullptr) {
        levels.emplace(*sinks.levels.sink);
    }
    if (sinks.picture.sink != nullptr || sinks.pictureRows) {
        Result<PictureRows> rows = PictureRows::Make(job.computation, job.style);
        if (!rows) {
            return rows.Error();
        }
        picture.emplace(std::move(*rows));
        if (sinks.picture.sink != nullptr) {
            png.emplace(*sinks.picture.sink);
        }
        if (job.style.shading != Shading::Levels) {
            Result<Shader> made = PictureShader(job, kept, hooks);
            if (!made) {
                return made.Error();
            }
            shader.emplace(std::move(*made));
        }
    }
    if (levels) {
        if (Status written = Named(sinks.levels, levels->Start(grid)); !written) {
            return written;
        }
    }
    if (png) {
        if (Status written = Named(sinks.picture, png->Start(picture->PictureSize(), job.pictureTexts)); !written) {
            return written;
        }
    }
    const PictureRowSink pictureRow = [&](const uint32_t* colours) {
        if (png) {
            if (Status written = Named(sinks.picture, png->AddRow(colours)); !written) {
                return written;
            }
        }
        return sinks.pictureRows ? sinks.pictureRows(colours) : Status{};
    };
    std::vector<int32_t> shaded(shader ? static_cast<size_t>(grid.width) : 0);
    Status rows = ForEachRow(job.computation, job.threads, kept, hooks, [&](const SourceRow& row) {
        if (levels) {
            if (Status written = Named(sinks.levels, levels->AddRow(row.levels)); !written) {
                return written;
            }
        }
        if (!picture) {
            return Status{};
        }
        if (shader) {
            shader->Shade(row.hits, grid.width, shaded.data());
        }
        return picture->AddRow(row.row, shader ? shaded.data() : row.levels, pictureRow);
    });
    if (!rows) {
        return rows;
    }
    if (levels) {
        if (Status written = Named(sinks.levels, levels->Finish()); !written) {
            return written;
        }
    }
    if (png) {
        if (Status written = Named(sinks.picture, png->Finish()); !written) {
            return written;
        }
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
                 {std::pair{&job.levels, &sinks.levels}, std::pair{&job.picture, &sinks.picture}}) {
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
