// What the caught and the ignored signals do to a program's work (POSIX).
#include "platform/interrupt.h"
#include "child_process.h"
#include "platform/file_io.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// A file grown past the limit on file sizes (ulimit -f) is a write that fails, not a signal
// (SIGXFSZ) that ends the program without a word.
TEST(CatchInterrupts, MakesAWritePastTheFileSizeLimitFail)
{
    TempFolder folder;
    const std::filesystem::path file = folder.Path() / "large";
    constexpr rlim_t kLimit = 4096;
    const ChildEnd end = RunInChild([&file] {
        const rlimit limit = {kLimit, kLimit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 10;
        }
        CatchInterrupts();
        bool taken = false;
        Result<WriteHandle> handle = WriteHandle::CreateNew(file, taken);
        if (!handle) {
            return 11;
        }
        const Status written = handle->Write(std::string(2 * kLimit, 'x'));
        if (written) {
            return 12;
        }
        return written.Error().Message() == std::strerror(EFBIG) ? 0 : 13;
    });
    EXPECT_TRUE(end.Succeeded()) << end.Describe();
    EXPECT_EQ(std::filesystem::file_size(file), kLimit);
}

}  // namespace
