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

Status RenderRows(const RenderJob& job, const RenderSinks& sinks, KeptRows* kept, const RenderHooks& hooks)
{
    const Size grid = job.computation.grid;
    std::optional<PgmWriter> levels;
    std::optional<PngWriter> png;
    std::optional<PictureRows> picture;
    if (sinks.levels.sink != nullptr) {
        levels.emplace(*sinks.levels.sink);
    }
    if (sinks.picture.sink != nullptr) {
        Result<PictureRows> rows = PictureRows::Make(job.computation, job.style);
        if (!rows) {
            return rows.Error();
        }
        picture.emplace(std::move(*rows));
        png.emplace(*sinks.picture.sink);
    }
    RowSource source(job.computation, {0, grid.height}, kept, hooks.cancel, hooks.progress);
    if (Status started = source.Start(job.threads); !started) {
        return started;
    }
    if (levels) {
        if (Status written = Named(sinks.levels, levels->Start(grid)); !written) {
            return written;
        }
    }
    if (picture) {
        if (Status written = Named(sinks.picture, png->Start(picture->PictureSize(), job.pictureTexts)); !written) {
            return written;
        }
    }
    const PictureRowSink pngRow = [&png](const uint32_t* colours) { return png->AddRow(colours); };
    for (;;) {
        const Result<SourceRow> next = source.Next();
        if (!next) {
            return next.Error();
        }
        if (next->row < 0) {
            break;
        }
        if (levels) {
            if (Status written = Named(sinks.levels, levels->AddRow(next->levels)); !written) {
                return written;
            }
        }
        if (picture) {
            if (Status written = Named(sinks.picture, picture->AddRow(next->row, next->levels, pngRow)); !written) {
                return written;
            }
        }
    }
    if (levels) {
        if (Status written = Named(sinks.levels, levels->Finish()); !written) {
            return written;
        }
    }
    if (picture) {
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
