// Writing files as a command-line program does, on every system: what a path names, a new file
// that is surely one's own, a file written in place, standard output, a file renamed over
// another in one step, and two files exchanged.
#pragma once

#include "platform/result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

enum class FileKind {
    Missing,  // nothing by that name
    Folder,
    Regular,  // a file of data
    Stream,   // a FIFO or a device: written in place, never replaced
    Socket,   // a socket, which cannot be opened as a file
};

// What the path names, following symbolic links; a failure when that cannot be told.
Result<FileKind> KindOf(const std::filesystem::path& path);

// Where a chain of symbolic links ends: the path itself when it is no link. The file there may
// not exist. A failure for a loop or a link that cannot be read.
Result<std::filesystem::path> FollowLinks(const std::filesystem::path& path);

// Whether an existing file may be replaced by another renamed over it, as far as can be told
// before trying: it is not immutable, append-only or read-only, and is not another user's in a
// folder where only a file's owner may remove it. A path that names nothing can be replaced.
Status CheckReplaceable(const std::filesystem::path& path);

// Whether the two paths name the same file: the same existing file, or the same last name in
// the same folder (whatever names lead to it), so also when no file by that name exists yet.
bool IsSameEntry(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether the path names the file that standard output writes to.
bool IsStandardOutput(const std::filesystem::path& path);

// An open file for writing. A call that fails gives the system's sentence for the error; one
// stopped by a caught interrupt (see interrupt.h) gives Failure::Interrupt().
class WriteHandle {
public:
    ~WriteHandle();
    WriteHandle(WriteHandle&& other) noexcept;
    WriteHandle& operator=(WriteHandle&& other) noexcept;

    // The program's standard output, written as it is, byte for byte.
    static WriteHandle StandardOutput();
    // A file made anew; an existing file is never opened: the failure then sets `taken`.
    static Result<WriteHandle> CreateNew(const std::filesystem::path& path, bool& taken);
    // A file made anew in the folder without a name: no one else sees it, and it is gone when
    // the program ends, even when killed, unless LinkAs names it. A failure where the system or
    // the file system has no such files (all but Linux).
    static Result<WriteHandle> CreateUnnamed(const std::filesystem::path& folder);
    // An existing file written in place; a FIFO waits here for its reader.
    static Result<WriteHandle> OpenExisting(const std::filesystem::path& path);

    // Writes every byte, or fails.
    Status Write(std::string_view bytes);
    // Gives the file the permissions of the file it is going to replace, less setuid and setgid.
    void CopyPermissionsOf(const std::filesystem::path& other);
    // Gives a file made by CreateUnnamed the name `path`, which must be new: a failure when it
    // is not sets `taken`.
    Status LinkAs(const std::filesystem::path& path, bool& taken);
    // Makes the written bytes durable and closes the file.
    Status SyncAndClose();

private:
    // A file descriptor, or the value of a Windows handle: -1 is neither.
    using Native = std::intptr_t;
    static constexpr Native kClosed = -1;
    // Bytes written in one call: small enough that an interrupt is seen soon after it comes.
    static constexpr size_t kWriteBlock = size_t{1} << 20;

    explicit WriteHandle(Native native, bool owned) : m_native(native), m_owned(owned) {}
    void Close();

    Native m_native = kClosed;
    bool m_owned = false;  // standard output is not closed
};

// Renames `from` over `to` in one step: whoever opens `to` finds the old file or the new one.
Status RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

// Exchanges two existing files, each taking the other's name: true when done, false when the
// system or the file system cannot, a failure when it failed; in both of these nothing changed.
// On Linux it is one step: whoever opens either name finds one of the two files. On Windows it is
// three renames (`a` to a new name beside it, `b` to `a`, that one to `b`), those done undone when
// one fails: for a moment `a`, then `b`, names no file; and should the undoing fail as well (a
// file held open by another program), the failure says where each file was left.
Result<bool> ExchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b);

// Removes a file; nothing happens when that is not possible.
void RemoveFile(const std::filesystem::path& path);
