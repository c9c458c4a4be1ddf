// Takes bytes until its `failAt`-th write, which fails; counts every write, so that one that
// never fails (failAt 0) tells how many writes a file takes.
#pragma once

#include "job/byte_sink.h"

#include <utility>

class FailingSink final : public ByteSink {
public:
    FailingSink(int failAt, Failure failure) : m_failAt(failAt), m_failure(std::move(failure)) {}
    Status Write(std::string_view) override { return ++m_writes == m_failAt ? Status(m_failure) : Status(); }
    int Writes() const { return m_writes; }

private:
    int m_failAt;
    Failure m_failure;
    int m_writes = 0;
};
