#include "util/format.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

namespace ixo {

std::string formatString(const char* format, ...) {
    std::size_t capacity = 256;
    for (;;) {
        std::unique_ptr<char[]> buffer(new char[capacity]);
        va_list arguments;
        va_start(arguments, format);
        const int length = std::vsnprintf(buffer.get(), capacity, format, arguments);
        va_end(arguments);
        // A negative length is an encoding or overflow error, which no bigger buffer cures;
        // growing on it would never end.
        if (length < 0) {
            return std::string();
        }
        if (static_cast<std::size_t>(length) < capacity) {
            return std::string(buffer.get(), static_cast<std::size_t>(length));
        }
        capacity *= 2;
    }
}

}  // namespace ixo
