#include "job/output_file.h"

#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/file_path.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <type_traits>
#include <vector>

namespace {

Failure CannotWrite(const std::string& name, const std::string& reason)
{
    return CannotWrite(name, Failure::Because(reason));
}

// The longest name of a file that the systems allow, in bytes on POSIX, UTF-16 units on Windows.
constexpr size_t kMaxName = 255;

// The first units of a name that leave `room` units of the longest name free, never cutting a
// character in two (a UTF-8 sequence, or a UTF-16 surrogate pair).
std::filesystem::path::string_type NameStem(const std::filesystem::path& name, size_t room)
{
    using Unit = std::filesystem::path::value_type;
    std::filesystem::path::string_type stem = name.native();
    if (stem.size() <= kMaxName - room) {
        return stem;
    }
    size_t length = kMaxName - room;
    const auto continues = [](Unit unit) {
        const auto code = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Unit>>(unit));
        return sizeof(Unit) == 1 ? (code & 0xC0) == 0x80 : (code & 0xFC00) == 0xDC00;
    };
    while (length > 0 && continues(stem[length])) {
        --length;
    }
    stem.resize(length);
    return stem;
}

// Makes a file or a link with a hidden name beside `file`, named after it (shortened to keep
// within the longest name) with a random part, so that it is surely the program's own: `make`
// makes it by the name given, failing with `taken` set where that name is taken, and an existing
// file is never opened or removed. The name made is put in `hidden`, left empty on a failure.
Status MakeBeside(const std::filesystem::path& file, std::filesystem::path& hidden,
                  const std::function<Status(const std::filesystem::path&, bool&)>& make)
{
    static std::mt19937_64 random(std::random_device{}());
    constexpr int kAttempts = 100;
    for (int attempt = 1;; ++attempt) {
        char suffix[24];
        const int suffixLength = std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                                               static_cast<unsigned long long>(random()));
        std::filesystem::path name = ".";
        name += NameStem(file.filename(), 1 + static_cast<size_t>(suffixLength));
        name += suffix;
        const std::filesystem::path path = file.parent_path() / name;
        bool taken = false;
        Status made = make(path, taken);
        if (made) {
            hidden = path;
        }
        if (made || !taken || attempt == kAttempts) {
            return made;
        }
    }
}

// A new file beside `file`, named in `created` (see MakeBeside).
Result<WriteHandle> CreateBeside(const std::filesystem::path& file, std::filesystem::path& created)
{
    std::optional<WriteHandle> handle;
    const Status made = MakeBeside(file, created, [&handle](const std::filesystem::path& path, bool& taken) {
        Result<WriteHandle> opened = WriteHandle::CreateNew(path, taken);
        if (!opened) {
            return Status(opened.Error());
        }
        handle.emplace(std::move(*opened));
        return Status();
    });
    if (!made) {
        return made.Error();
    }
    return std::move(*handle);
}

// Whether the folder of `file` takes a new file, which later replaces it. The new file made to
// find out is removed at once.
Status CheckFolderTakesNewFile(const std::filesystem::path& file)
{
    std::filesystem::path probe;
    if (const Result<WriteHandle> handle = CreateBeside(file, probe); !handle) {
        return handle.Error();
    }
    RemoveFile(probe);
    return {};
}

// Opens the new file that is going to replace `file`, with the permissions of the old one: a file
// without a name where the system has them, named when it is put in place, so that nothing of
// it stays if the program is killed; else a hidden file beside it, named in `replacement`.
Result<WriteHandle> OpenReplacement(const std::filesystem::path& file, std::filesystem::path& replacement)
{
    Result<WriteHandle> handle = WriteHandle::CreateUnnamed(file.has_parent_path() ? file.parent_path() : ".");
    if (!handle) {
        handle = CreateBeside(file, replacement);
    }
    if (handle) {
        handle->CopyPermissionsOf(file);
    }
    return handle;
}

// Writes the sink's bytes to an open file, stopping at the first that cannot be written.
class HandleSink final : public ByteSink {
public:
    HandleSink(OutputFiles& files, WriteHandle& handle) : m_files(files), m_handle(handle) {}
    Status Write(std::string_view bytes) override { return m_files.Write(m_handle, bytes); }

private:
    OutputFiles& m_files;
    WriteHandle& m_handle;
};

}  // namespace

struct OutputTransaction::Pending {
    std::string name;
    OutputTarget::Kind kind;
    std::filesystem::path file;         // the target a new file replaces
    std::filesystem::path replacement;  // the new file's name; empty while it has none
    std::optional<WriteHandle> handle;  // open until the new file is durable
    std::unique_ptr<HandleSink> sink;
};

namespace {

// Gives the new file without a name its hidden name beside its target, and makes it durable.
Status NameReplacement(OutputFiles& files, OutputTransaction::Pending& pending)
{
    WriteHandle& handle = *pending.handle;
    const Status named = MakeBeside(pending.file, pending.replacement,
                                    [&files, &handle](const std::filesystem::path& path, bool& taken) {
                                        return files.LinkAs(handle, path, taken);
                                    });
    if (!named) {
        return named;
    }
    return files.SyncAndClose(handle);
}

// Puts a new file in the place of its target and gives what takes the old file back. A new file
// without a name gets one only now, so that a program killed before leaves nothing: where no file
// is there yet, the target's own name; else a hidden name beside it for the exchange, after which
// it holds the old file until every output is in place. The last output, which nothing after it
// can undo, is renamed over the old file instead, so that its hidden name lasts no longer than
// that step. Where the system cannot exchange files, every output is renamed over its old file.
Result<OutputTransaction::Undo> PutInPlace(OutputFiles& files, OutputTransaction::Pending& pending, bool last)
{
    const std::filesystem::path& file = pending.file;
    const std::filesystem::path& replacement = pending.replacement;
    const Result<FileKind> kind = KindOf(file);
    bool missing = kind && *kind == FileKind::Missing;
    if (pending.handle) {
        if (missing) {
            bool taken = false;
            if (Status linked = files.LinkAs(*pending.handle, file, taken); linked) {
                const auto remove = [file] { RemoveFile(file); };
                if (Status synced = files.SyncAndClose(*pending.handle); !synced) {
                    remove();
                    return synced.Error();
                }
                return OutputTransaction::Undo(remove);
            } else if (!taken) {
                return linked.Error();
            }
            missing = false;  // a file came meanwhile: it is replaced as any other
        }
        if (Status named = NameReplacement(files, pending); !named) {
            return named.Error();
        }
    }
    if (missing) {
        if (Status renamed = files.RenameOver(replacement, file); !renamed) {
            return renamed.Error();
        }
        return OutputTransaction::Undo([&files, file, replacement] { (void)files.RenameOver(file, replacement); });
    }
    if (!last) {
        const Result<bool> exchanged = files.ExchangeFiles(replacement, file);
        if (!exchanged) {
            return exchanged.Error();
        }
        if (*exchanged) {
            return OutputTransaction::Undo(
                [&files, file, replacement] { (void)files.ExchangeFiles(replacement, file); });
        }
    }
    if (Status renamed = files.RenameOver(replacement, file); !renamed) {
        return renamed.Error();
    }
    pending.replacement.clear();  // the name went with the rename
    return OutputTransaction::Undo([] {});
}

}  // namespace

Result<OutputTarget> FindOutputTarget(const std::string& name)
{
    OutputTarget target;
    target.name = name;
    if (name == "-") {
        if (StandardOutputClosed()) {
            return Failure::Because("standard output is closed: open it, or name a file instead of '-'");
        }
        if (IsTerminal(stdout)) {
            return Failure::Because("standard output is a terminal: redirect it to a file or a pipe to write '-'");
        }
        target.kind = OutputTarget::Kind::StandardOutput;
        return target;
    }
    const Result<std::filesystem::path> followed = FollowLinks(PathFromUtf8(name));
    if (!followed) {
        return CannotWrite(name, followed.Error());
    }
    target.file = *followed;
    const Result<FileKind> kind = KindOf(target.file);
    if (!kind) {
        return CannotWrite(name, kind.Error());
    }
    switch (*kind) {
    case FileKind::Folder:
        return CannotWrite(name, "it is a folder");
    case FileKind::Stream:
        target.kind = OutputTarget::Kind::InPlace;
        // Opened only when written: a FIFO waits for its reader.
        return target;
    case FileKind::Missing: {
        const std::filesystem::path folder = target.file.parent_path();
        const Result<FileKind> folderKind = KindOf(folder.empty() ? "." : folder);
        if (!folderKind) {
            return CannotWrite(name, folderKind.Error());
        }
        if (*folderKind != FileKind::Folder) {
            return CannotWrite(name, "there is no folder " + QuotedName(Utf8FromPath(folder)));
        }
        break;
    }
    case FileKind::Socket:
        return CannotWrite(name, "it is a socket");
    case FileKind::Regular:
        if (Status replaceable = CheckReplaceable(target.file); !replaceable) {
            return CannotWrite(name, replaceable.Error());
        }
        break;
    }
    if (Status checked = CheckFolderTakesNewFile(target.file); !checked) {
        return CannotWrite(name, checked.Error());
    }
    return target;
}

bool SameTarget(const OutputTarget& a, const OutputTarget& b)
{
    using Kind = OutputTarget::Kind;
    if (a.kind == Kind::StandardOutput && b.kind == Kind::StandardOutput) {
        return true;
    }
    if (a.kind == Kind::StandardOutput || b.kind == Kind::StandardOutput) {
        return IsStandardOutput(a.kind == Kind::StandardOutput ? b.file : a.file);
    }
    return IsSameEntry(a.file, b.file);
}

Failure CannotWrite(const std::string& name, const Failure& failure)
{
    return failure.WithContext("cannot write " + QuotedName(name));
}

OutputFiles& SystemFiles()
{
    static OutputFiles system;
    return system;
}

OutputTransaction::OutputTransaction(OutputFiles& files) : m_files(files)
{
}

OutputTransaction::~OutputTransaction()
{
    for (const std::unique_ptr<Pending>& pending : m_pending) {
        pending->handle.reset();  // closed first: Windows removes no file that is open
        if (!pending->replacement.empty()) {
            RemoveFile(pending->replacement);
        }
    }
}

Result<ByteSink*> OutputTransaction::Open(const OutputTarget& target)
{
    std::filesystem::path replacement;
    Result<WriteHandle> handle = target.kind == OutputTarget::Kind::StandardOutput ? WriteHandle::StandardOutput()
                                 : target.kind == OutputTarget::Kind::InPlace
                                     ? WriteHandle::OpenExisting(target.file)
                                     : OpenReplacement(target.file, replacement);
    if (!handle) {
        return handle.Error();
    }
    Pending& pending = *m_pending.emplace_back(std::make_unique<Pending>(
        Pending{target.name, target.kind, target.file, replacement, std::move(*handle), nullptr}));
    pending.sink = std::make_unique<HandleSink>(m_files, *pending.handle);
    return pending.sink.get();
}

Status OutputTransaction::Commit()
{
    std::vector<Pending*> replaced;
    for (const std::unique_ptr<Pending>& pending : m_pending) {
        if (pending->kind != OutputTarget::Kind::Replace) {
            continue;
        }
        // A new file that has a name already is made durable before any is put in place.
        if (!pending->replacement.empty()) {
            if (Status synced = m_files.SyncAndClose(*pending->handle); !synced) {
                return CannotWrite(pending->name, synced.Error());
            }
            pending->handle.reset();
        }
        replaced.push_back(pending.get());
    }
    std::vector<Undo> undos;
    for (Pending* pending : replaced) {
        Result<Undo> done = PutInPlace(m_files, *pending, pending == replaced.back());
        if (!done) {
            for (auto undo = undos.rbegin(); undo != undos.rend(); ++undo) {
                (*undo)();
            }
            return CannotWrite(pending->name, done.Error());
        }
        pending->handle.reset();
        undos.push_back(std::move(*done));
    }
    // The new files' names now hold the old files that were exchanged, or nothing.
    for (const Pending* pending : replaced) {
        if (!pending->replacement.empty()) {
            RemoveFile(pending->replacement);
        }
    }
    m_pending.clear();
    return {};
}
