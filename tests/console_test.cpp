// The standard streams a program is started with, made safe before it opens any file.
#include "platform/console.h"
#include "platform/file_io.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include "child_process.h"

#include <fcntl.h>
#include <unistd.h>
#endif

#include <filesystem>

namespace {

#ifndef _WIN32

// With standard output closed, a file opened next would take descriptor 1, and what is written to
// standard output would go into it.
TEST(OpenStandardStreams, KeepsAFileOutOfClosedStandardOutput)
{
    TempFolder folder;
    const std::filesystem::path file = folder.Path() / "out.png";
    const ChildEnd end = RunInChild([&file] {
        close(STDOUT_FILENO);
        OpenStandardStreams();
        bool taken = false;
        Result<WriteHandle> handle = WriteHandle::CreateNew(file, taken);
        if (!handle) {
            return 10;
        }
        if (!WriteHandle::StandardOutput().Write("stray")) {
            return 11;
        }
        if (!StandardOutputClosed()) {
            return 12;
        }
        return 0;
    });
    EXPECT_TRUE(end.Succeeded()) << end.Describe();
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
}

TEST(OpenStandardStreams, FillsClosedInputAndErrorAndReportsOpenOutput)
{
    TempFolder folder;
    const std::filesystem::path file = folder.Path() / "file";
    const ChildEnd end = RunInChild([&file] {
        close(STDIN_FILENO);
        close(STDERR_FILENO);
        OpenStandardStreams();
        const int opened = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (opened <= STDERR_FILENO) {
            return 10;
        }
        if (fcntl(STDIN_FILENO, F_GETFD) < 0 || fcntl(STDERR_FILENO, F_GETFD) < 0) {
            return 11;
        }
        if (StandardOutputClosed()) {
            return 12;
        }
        return 0;
    });
    EXPECT_TRUE(end.Succeeded()) << end.Describe();
}

#else

TEST(OpenStandardStreams, ReportsMissingStandardOutput)
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    ASSERT_TRUE(SetStdHandle(STD_OUTPUT_HANDLE, nullptr));
    OpenStandardStreams();
    SetStdHandle(STD_OUTPUT_HANDLE, output);
    EXPECT_TRUE(StandardOutputClosed());
}

#endif

}  // namespace
