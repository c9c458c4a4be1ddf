// Where corvalis-render's outputs go, found before anything is computed, and their writing as
// one transaction: a file that is replaced is written to a new file of its own beside it (one
// without a name where the system has them) and put in its place only once every output is
// complete, so that a failure or an interrupt leaves every old file as it was and nothing of the
// program's behind.
#pragma once

#include "platform/file_io.h"
#include "platform/result.h"
#include "tools/byte_sink.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

struct OutputTarget {
    enum class Kind {
        StandardOutput,  // the name "-"
        InPlace,         // an existing FIFO or device, written where it is
        Replace,         // a file of data, or a new one: replaced whole, never in part
    };
    std::string name;  // as given on the command line (UTF-8)
    Kind kind = Kind::Replace;
    std::filesystem::path file;  // what is written or replaced, symbolic links followed
};

// The target of an output name, or why it cannot be written: standard output on a terminal, a
// folder, a socket, a folder that does not exist or takes no new file, a file that cannot be
// replaced.
Result<OutputTarget> FindOutputTarget(const std::string& name);

// Whether the two targets would write the same file.
bool SameTarget(const OutputTarget& a, const OutputTarget& b);

// The outputs of one run.
class OutputTransaction {
public:
    OutputTransaction() = default;
    // Removes the new files that were not renamed over their targets.
    ~OutputTransaction();
    OutputTransaction(const OutputTransaction&) = delete;
    OutputTransaction& operator=(const OutputTransaction&) = delete;

    // Writes what `encode` puts into its sink: for a replaced file into a new file beside it,
    // kept until Commit; for a stream at once, where it is. A failure of the file or of the
    // encoder names the output; an interrupt stays an interrupt. `encode` may itself write the
    // next output, so that several outputs are written in one pass.
    Status Write(const OutputTarget& target, const std::function<Status(ByteSink&)>& encode);

    // Puts every new file in the place of its target, in the order they were written. Where the
    // system exchanges files in one step (Linux), one that fails puts back those before it, so
    // that every old file stays as it was.
    Status Commit();

    // A new file waiting for its target, and what undoes its putting in place.
    struct Pending {
        std::string name;
        std::filesystem::path file;
        std::filesystem::path replacement;  // empty while the new file has no name
        std::optional<WriteHandle> handle;  // open while the new file has no name
    };
    using Undo = std::function<void()>;

private:
    // A deque: writing a further output from inside `encode` adds to it without moving the
    // pending new file whose sink is being written.
    std::deque<Pending> m_pending;
};
