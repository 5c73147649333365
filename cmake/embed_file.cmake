# cmake -DIN=file -DOUT=source.cpp -DSYMBOL=name -P embed_file.cmake
# Writes a C++ source that holds the bytes of IN as svx::embedded::SYMBOL
# (with SYMBOL_size), so data files of the repository are built in.
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
get_filename_component(name "${IN}" NAME)
file(WRITE "${OUT}.tmp"
  "// Generated from ${name}; do not edit.\n"
  "#include <cstddef>\n"
  "namespace svx::embedded {\n"
  "extern const unsigned char ${SYMBOL}[];\n"
  "extern const std::size_t ${SYMBOL}_size;\n"
  "const unsigned char ${SYMBOL}[] = {${bytes}0};\n"
  "const std::size_t ${SYMBOL}_size = ${size};\n"
  "}  // namespace svx::embedded\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
