# Turns a binary file into a C++ source holding its bytes and length, so that pictures the
# program carries inside itself are generated from the committed file and never edited by hand.
# Usage: cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -DNAMESPACE=ns -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by cmake/EmbedFile.cmake; do not edit.\n"
"#include <cstddef>\n\n"
"namespace ${NAMESPACE} {\n"
"extern const unsigned char ${SYMBOL}[];\n"
"extern const int ${SYMBOL}Size;\n"
"const unsigned char ${SYMBOL}[] = {\n    ${bytes}\n};\n"
"const int ${SYMBOL}Size = ${size};\n"
"}  // namespace ${NAMESPACE}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
