#pragma once

#include <cstddef>
#include <string>

namespace ixo {

// Splits a byte stream into lines, with no idea where the bytes come from: an engine's pipe
// and a server's socket both read through it. A peer that sends a line without end must not
// make us hold everything it sends, so a line beyond the limit is reported once and thrown
// away up to its end. That holds however the bytes were cut: a line too long is garbage in
// USI and CSA alike, and whether it arrived with its newline in the same read is chance.
class LineBuffer {
  public:
    enum class Take { Line, NothingYet, Overlong };

    explicit LineBuffer(std::size_t maxLineLength) : maxLineLength_(maxLineLength) {}

    void append(const char* bytes, std::size_t count) { input_.append(bytes, count); }
    // The next whole line without its LF (and a CR before it), or what stopped it.
    Take take(std::string& line);
    // What is left once the stream has ended: a last line without its LF, if any.
    bool takeRest(std::string& line);
    void clear();

  private:
    std::size_t maxLineLength_;
    std::string input_;
    std::size_t scanned_ = 0;
    bool discarding_ = false;
};

}  // namespace ixo
