// Where an encoder puts the bytes of a file, a piece at a time, so that a large file is never
// whole in memory and its writing can stop between two pieces.
#pragma once

#include "platform/result.h"

#include <string>
#include <string_view>

class ByteSink {
public:
    // Takes the next bytes; a failure when they cannot go where they should, and the encoder is
    // to stop and pass it on.
    virtual Status Write(std::string_view bytes) = 0;

protected:
    ~ByteSink() = default;
};

// Keeps every byte in memory.
class StringSink final : public ByteSink {
public:
    Status Write(std::string_view bytes) override
    {
        m_bytes.append(bytes);
        return {};
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};
