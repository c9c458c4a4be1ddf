// Runs a test's step in a child process of its own (POSIX), for what changes the whole process:
// its descriptors, its signals, its limits. The child reports by its exit status.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

// How a child ended: "exit N" or "signal N", the way a test shows it on a failure.
struct ChildEnd {
    bool exited = false;
    int status = 0;  // the exit status, or the signal's number

    bool Succeeded() const { return exited && status == 0; }
    std::string Describe() const { return (exited ? "exit " : "signal ") + std::to_string(status); }
};

// Runs `step` in a forked child, which exits with what it returns (125 for an exception), never
// running the parent's test framework on; gives how the child ended.
inline ChildEnd RunInChild(const std::function<int()>& step)
{
    const pid_t child = fork();
    if (child == 0) {
        try {
            _exit(step());
        } catch (...) {
            _exit(125);
        }
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        return {true, -1};
    }
    if (WIFSIGNALED(status)) {
        return {false, WTERMSIG(status)};
    }
    return {true, WEXITSTATUS(status)};
}
