#pragma once
// A run-time failure: an error number and its description, as the error
// reporter shows them.
#include <string>
#include <utility>

#include "platform/types.h"

namespace zv {

class RuntimeError {
public:
    RuntimeError(Long number, std::string description)
        : m_number(number), m_description(std::move(description)) {}
    [[nodiscard]] Long number() const noexcept { return m_number; }
    [[nodiscard]] const std::string& description() const noexcept { return m_description; }

private:
    Long m_number;
    std::string m_description;
};

// The run-time error numbers the program raises.
inline constexpr Long kErrInvalidCall = 5;        // "Invalid procedure call or argument"
inline constexpr Long kErrOverflow = 6;           // "Overflow"
inline constexpr Long kErrOutOfMemory = 7;        // "Out of memory"
inline constexpr Long kErrSubscript = 9;          // "Subscript out of range"
inline constexpr Long kErrBadFileName = 52;       // "Bad file name or number"
inline constexpr Long kErrFileNotFound = 53;      // "File not found"
inline constexpr Long kErrFileAlreadyOpen = 55;   // "File already open"
inline constexpr Long kErrDiskFull = 61;          // "Disk full"
inline constexpr Long kErrPermissionDenied = 70;  // "Permission denied"
inline constexpr Long kErrDiskNotReady = 71;      // "Disk not ready"
inline constexpr Long kErrPathFileAccess = 75;    // "Path/File access error"
inline constexpr Long kErrPathNotFound = 76;      // "Path not found"

[[nodiscard]] const char* DescriptionOf(Long number);

[[noreturn]] void Raise(Long number);

// The run-time failure that the exception being handled stands for; call it only inside
// a catch block. A RuntimeError is itself; a failure of the C++ library is given the
// number its kind of failure has (out_of_range 9, bad_alloc and length_error 7, any other
// 5). Anything else, ProgramExit above all, is not a run-time failure: it is rethrown,
// so that no failure path swallows the end of the program.
[[nodiscard]] RuntimeError CurrentFailure();

}  // namespace zv
