#pragma once

#include <ctime>
#include <string>

namespace ixo {

// Where the games are kept, or why there is no such place.
struct GamesFolder {
    std::string path;     // empty when there is none
    std::string problem;  // why there is none
};

// $XDG_DATA_HOME/ixo-shogi/games, or ~/.local/share/ixo-shogi/games. A relative or empty
// XDG_DATA_HOME is ignored, as the XDG base directory rules ask.
GamesFolder gamesFolderFor(const char* xdgDataHome, const char* home);
GamesFolder gamesFolder();  // from the environment

// The file name of a game started at `start` (local time): YYYYMMDD-HHMMSS.kifu for the first
// attempt, then -2, -3 ... before the extension.
std::string recordName(std::time_t start, int attempt = 1);
// The start time a record's name gives, or -1 when the name is not one of ours.
std::time_t startTimeOfRecordName(const std::string& name);
// A game's start as a record's 開始日時 gives it, in local time: "2026/12/09 08:54:37".
std::string recordStartTime(std::time_t start);

// Replaces `path` with `text` so that a crash or power cut at any moment leaves either the old
// file or the new one: a temporary file in the same folder, written, flushed to the disk and
// renamed over it. With `mustBeNew` the file must not exist yet and is never replaced.
// On false `error` says why and `path` is as it was.
bool writeFileAtomically(const std::string& path, const std::string& text, bool mustBeNew,
                         std::string& error);

// The whole file, refusing what is not a readable regular file of at most kMaxRecordFileBytes.
bool readRecordFile(const std::string& path, std::string& bytes, std::string& error);

// The record written to last in `folder`, or empty when it holds none.
std::string newestRecord(const std::string& folder);

// Whether `file` lies directly in `folder` (through any links).
bool isInFolder(const std::string& file, const std::string& folder);

}  // namespace ixo
