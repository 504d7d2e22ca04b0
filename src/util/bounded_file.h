#pragma once

#include <cstddef>
#include <string>

namespace ixo {

// Why a file the player named could not be read whole.
enum class BoundedReadFault { None, System, Folder, NotRegular, TooLarge };

// The whole of the regular file at `path` into `bytes`, refusing one larger than `limit`.
// Opened without blocking, so a named pipe in its place cannot hang the caller before it is
// refused as not a regular file. On BoundedReadFault::System, `systemError` holds the errno.
BoundedReadFault readBoundedFile(const std::string& path, std::size_t limit, std::string& bytes,
                                 int& systemError);

}  // namespace ixo
