// Where a render's outputs go, found before anything is computed, and their writing as one
// transaction: a file that is replaced is written to a new file of its own beside it (one
// without a name where the system has them) and put in its place only once every output is
// complete, so that a failure or an interrupt leaves every old file as it was and nothing of the
// program's behind.
#pragma once

#include "job/byte_sink.h"
#include "platform/file_io.h"
#include "platform/result.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The file operations by which a transaction writes its outputs and puts them in place: the
// system's, or a test's that makes one of them fail.
class OutputFiles {
public:
    virtual ~OutputFiles() = default;
    virtual Status Write(WriteHandle& handle, std::string_view bytes) { return handle.Write(bytes); }
    virtual Status SyncAndClose(WriteHandle& handle) { return handle.SyncAndClose(); }
    virtual Status LinkAs(WriteHandle& handle, const std::filesystem::path& path, bool& taken)
    {
        return handle.LinkAs(path, taken);
    }
    virtual Status RenameOver(const std::filesystem::path& from, const std::filesystem::path& to)
    {
        return ::RenameOver(from, to);
    }
    virtual Result<bool> ExchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b)
    {
        return ::ExchangeFiles(a, b);
    }
};

// The system's file operations.
OutputFiles& SystemFiles();

// The outputs of one run: each opened to a sink of its own, written, then all committed.
class OutputTransaction {
public:
    explicit OutputTransaction(OutputFiles& files = SystemFiles());
    // Removes the new files that were not put in place.
    ~OutputTransaction();
    OutputTransaction(const OutputTransaction&) = delete;
    OutputTransaction& operator=(const OutputTransaction&) = delete;

    // The sink of an output, valid as long as the transaction: for a replaced file a new file
    // beside it, kept until Commit; for a stream the stream itself, written at once (a FIFO
    // waits here for its reader). Its failures are the system's sentences; the caller names
    // the output.
    Result<ByteSink*> Open(const OutputTarget& target);

    // Makes every new file durable and puts it in the place of its target, in the order they
    // were opened. Where the system exchanges files in one step, one that fails puts back those
    // before it, so that every old file stays as it was.
    Status Commit();

    // An output opened: its stream or new file, and for a new file the target it replaces.
    struct Pending;
    using Undo = std::function<void()>;

private:
    OutputFiles& m_files;
    // Each where it was made: the sinks handed out stay valid as more outputs are opened.
    std::vector<std::unique_ptr<Pending>> m_pending;
};

// The failure of an output, told with its name: "cannot write 'NAME': ...". An interrupt stays
// an interrupt.
Failure CannotWrite(const std::string& name, const Failure& failure);
