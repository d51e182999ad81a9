#pragma once

#include <stdexcept>
#include <string>

namespace host {

// A failure as the program's handlers see it: a number and a description.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), m_number(number) {}
    int Number() const noexcept { return m_number; }
    std::string Description() const { return what(); }

private:
    int m_number;
};

namespace errors {
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int FileNotFound = 53;
inline constexpr int InputPastEnd = 62;
inline constexpr int DeviceIoError = 57;
} // namespace errors

} // namespace host
