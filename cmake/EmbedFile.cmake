# Script mode: writes OUTPUT, a C++ file defining SYMBOL as the bytes of INPUT.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hexlen)
math(EXPR size "${hexlen} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){24})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}
"// Generated from ${INPUT}; do not edit.\n#include <cstddef>\n\n"
"extern const char ${SYMBOL}[];\nextern const std::size_t ${SYMBOL}_size;\n"
"const char ${SYMBOL}[] = {\n${bytes}'\\0'};\n"
"const std::size_t ${SYMBOL}_size = ${size};\n")
