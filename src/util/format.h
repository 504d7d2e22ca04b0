#pragma once

#include <string>

namespace ixo {

// printf-style formatting into a string of any length; an empty string if the format is bad.
std::string formatString(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace ixo
