#pragma once

#include <gtest/gtest.h>

#include <string>

#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

// A position from SFEN, failing the test on a typo rather than playing from nonsense.
inline Position sfen(const std::string& text) {
    Position position;
    std::string error;
    EXPECT_TRUE(parseSfen(text, position, error)) << text << ": " << error;
    return position;
}

inline MoveRequest usi(const std::string& text) {
    MoveRequest request;
    EXPECT_TRUE(parseUsiMove(text, request)) << text;
    return request;
}

}  // namespace ixo
