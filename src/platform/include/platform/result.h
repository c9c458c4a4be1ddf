// What an operation that can fail gives back: its value, or the failure that stopped it. The one
// way the platform services, the encoders and the output files of the command-line programs
// report a failure.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

// Why an operation did not complete: an error that its message describes, or a caught interrupt
// (see interrupt.h) that stopped it, which is no error of the operation.
class Failure {
public:
    static Failure Because(std::string message) { return Failure(std::move(message), false); }
    static Failure Interrupt() { return Failure("interrupted", true); }

    bool IsInterrupt() const { return m_interrupt; }
    // A sentence that says what went wrong; "interrupted" for an interrupt.
    const std::string& Message() const { return m_message; }

    // The same failure told with what it stopped: "CONTEXT: MESSAGE". An interrupt stays one.
    Failure WithContext(const std::string& context) const
    {
        return m_interrupt ? *this : Because(context + ": " + m_message);
    }

private:
    Failure(std::string message, bool interrupt) : m_message(std::move(message)), m_interrupt(interrupt) {}

    std::string m_message;
    bool m_interrupt;
};

// A value of type T, or the failure that left the operation without one.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_outcome(std::move(value)) {}
    Result(Failure failure) : m_outcome(std::move(failure)) {}

    explicit operator bool() const { return std::holds_alternative<T>(m_outcome); }
    T& operator*() { return std::get<T>(m_outcome); }
    const T& operator*() const { return std::get<T>(m_outcome); }
    T* operator->() { return &std::get<T>(m_outcome); }
    const T* operator->() const { return &std::get<T>(m_outcome); }
    // Only for a result without a value.
    const Failure& Error() const { return std::get<Failure>(m_outcome); }

private:
    std::variant<T, Failure> m_outcome;
};

// Whether an operation without a value completed: true, or the failure that stopped it.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : m_failure(std::move(failure)) {}

    explicit operator bool() const { return !m_failure.has_value(); }
    // Only for a failed operation.
    const Failure& Error() const { return *m_failure; }

private:
    std::optional<Failure> m_failure;
};

using Status = Result<void>;
