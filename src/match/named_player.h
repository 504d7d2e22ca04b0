#pragma once

#include <string>

namespace ixo {

// A side of the match played by a program rather than by someone at this screen. The record
// names that side after it.
class NamedPlayer {
  public:
    virtual ~NamedPlayer() = default;
    virtual int side() const = 0;
    // Empty until the player knows its name.
    virtual const std::string& recordName() const = 0;
};

}  // namespace ixo
