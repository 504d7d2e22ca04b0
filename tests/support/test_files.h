#pragma once

// Reading the files the record tests and interop drivers share with other programs: records
// on disk, the tab-separated tables an independent reader wrote about them.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ixo {

// The whole file; false when it could not be opened or read to its end.
inline bool readWholeFile(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    bytes = buffer.str();
    return static_cast<bool>(in);
}

// The fields of a row of a .tsv table, an empty last one included.
inline std::vector<std::string> tsvFields(const std::string& line) {
    std::vector<std::string> result;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) {
        result.push_back(field);
    }
    if (!line.empty() && line.back() == '\t') {
        result.push_back("");
    }
    return result;
}

// How the independent reader that made the tables gives a name: full-width spaces as ASCII
// ones, trimmed.
inline std::string foldedName(std::string name) {
    for (std::size_t at = name.find("　"); at != std::string::npos; at = name.find("　", at)) {
        name.replace(at, 3, " ");
    }
    const std::size_t first = name.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : name.substr(first, name.find_last_not_of(' ') - first + 1);
}

// The shared folder of `format` records other programs wrote: beside the repository, or
// beside the folder of worktrees it is checked out in.
inline std::filesystem::path sharedRecordsFolder(const std::filesystem::path& source,
                                                 const char* format) {
    for (const std::filesystem::path& base :
         {source / ".." / "shared", source / ".." / ".." / "shared"}) {
        if (std::filesystem::exists(base / format / "expected.tsv")) {
            return base / format;
        }
    }
    return source / ".." / "shared" / format;
}

}  // namespace ixo
