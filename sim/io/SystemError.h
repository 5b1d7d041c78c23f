// Errors of system calls as exceptions whose text says what was being done, with errno's text.
#pragma once

#include <cerrno>
#include <string>
#include <system_error>

namespace fonerix::sim {

// Throws std::system_error for the current errno: "<what>: <strerror(errno)>".
[[noreturn]] inline void ThrowSystemError(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace fonerix::sim
