#include "tools/output_file.h"

#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/file_path.h"

#include <cstdio>
#include <random>

namespace {

std::string CannotWrite(const std::string& name, const std::string& reason)
{
    return "cannot write '" + name + "': " + reason;
}

// A file made anew beside `file`, named after it with a random part and hidden, so that it is
// surely the program's own: an existing file by that name is never opened or removed.
WriteHandle CreateBeside(const std::filesystem::path& file, std::filesystem::path& created, std::string& error)
{
    static std::mt19937_64 random(std::random_device{}());
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
        std::filesystem::path hidden = ".";
        hidden += file.filename();
        hidden += suffix;
        created = file.parent_path() / hidden;
        bool taken = false;
        WriteHandle handle = WriteHandle::CreateNew(created, error, taken);
        if (handle.IsOpen() || !taken) {
            return handle;
        }
    }
    return {};
}

// Writes the sink's bytes to an open file, stopping at the first that cannot be written.
class HandleSink final : public ByteSink {
public:
    explicit HandleSink(WriteHandle& handle) : m_handle(handle) {}
    bool Write(std::string_view bytes) override { return m_handle.Write(bytes, m_error); }
    const std::string& Error() const { return m_error; }

private:
    WriteHandle& m_handle;
    std::string m_error;
};

}  // namespace

std::variant<OutputTarget, std::string> FindOutputTarget(const std::string& name)
{
    OutputTarget target;
    target.name = name;
    if (name == "-") {
        if (IsTerminal(stdout)) {
            return "standard output is a terminal: redirect it to a file or a pipe to write '-'";
        }
        target.kind = OutputTarget::Kind::StandardOutput;
        return target;
    }
    std::string error;
    target.file = FollowLinks(PathFromUtf8(name), error);
    if (!error.empty()) {
        return CannotWrite(name, error);
    }
    switch (KindOf(target.file, error)) {
    case FileKind::Folder:
        return CannotWrite(name, "it is a folder");
    case FileKind::Stream:
        target.kind = OutputTarget::Kind::InPlace;
        // Opened only when written: a FIFO waits for its reader.
        return target;
    case FileKind::Missing:
        if (!error.empty()) {
            return CannotWrite(name, error);
        }
        if (KindOf(target.file.parent_path().empty() ? "." : target.file.parent_path(), error) != FileKind::Folder) {
            return CannotWrite(name, "there is no folder '" + Utf8FromPath(target.file.parent_path()) + "'");
        }
        break;
    case FileKind::Regular:
        break;
    }
    // The folder must take a new file, which later replaces the target.
    std::filesystem::path probe;
    WriteHandle handle = CreateBeside(target.file, probe, error);
    if (!handle.IsOpen()) {
        return CannotWrite(name, error);
    }
    handle = {};
    RemoveFile(probe);
    return target;
}

bool SameTarget(const OutputTarget& a, const OutputTarget& b)
{
    using Kind = OutputTarget::Kind;
    if (a.kind == Kind::StandardOutput || b.kind == Kind::StandardOutput) {
        return a.kind == b.kind;
    }
    return IsSameFile(a.file, b.file) ||
           std::filesystem::absolute(a.file).lexically_normal() == std::filesystem::absolute(b.file).lexically_normal();
}

OutputTransaction::~OutputTransaction()
{
    for (const Pending& pending : m_pending) {
        RemoveFile(pending.replacement);
    }
}

bool OutputTransaction::Write(const OutputTarget& target, const std::function<bool(ByteSink&)>& encode,
                              std::string& error)
{
    std::filesystem::path replacement;
    WriteHandle handle;
    switch (target.kind) {
    case OutputTarget::Kind::StandardOutput:
        handle = WriteHandle::StandardOutput();
        break;
    case OutputTarget::Kind::InPlace:
        handle = WriteHandle::OpenExisting(target.file, error);
        break;
    case OutputTarget::Kind::Replace:
        handle = CreateBeside(target.file, replacement, error);
        if (handle.IsOpen()) {
            m_pending.push_back({target.name, target.file, replacement});
            handle.CopyPermissionsOf(target.file);
        }
        break;
    }
    if (!handle.IsOpen()) {
        error = error.empty() ? "" : CannotWrite(target.name, error);
        return false;
    }
    HandleSink sink(handle);
    if (!encode(sink)) {
        error = sink.Error().empty() ? "" : CannotWrite(target.name, sink.Error());
        return false;
    }
    if (target.kind == OutputTarget::Kind::Replace && !handle.SyncAndClose(error)) {
        error = CannotWrite(target.name, error);
        return false;
    }
    return true;
}

bool OutputTransaction::Commit(std::string& error)
{
    while (!m_pending.empty()) {
        const Pending& pending = m_pending.front();
        if (!RenameOver(pending.replacement, pending.file, error)) {
            error = CannotWrite(pending.name, error);
            return false;
        }
        m_pending.erase(m_pending.begin());
    }
    return true;
}
