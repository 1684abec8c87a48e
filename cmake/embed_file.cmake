# Script mode: cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
# The array is padded with zeros to a multiple of 16 bytes (SYMBOLStorage), the size stays the
# file's: a buffer made from a block rounds its width up to 16 bytes and Direct3D copies that
# whole width from the block.
math(EXPR storage "(${size} + 15) / 16 * 16")
math(EXPR padding "${storage} - ${size}")
if(padding GREATER 0)
  string(REPEAT "00" ${padding} zeros)
  string(APPEND hex "${zeros}")
endif()
# Sixteen bytes a line keeps the source readable and the compiler fast.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
if(size EQUAL 0)
  set(bytes "0")
endif()
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n"
  "extern const unsigned char ${SYMBOL}[];\n"
  "extern const unsigned int ${SYMBOL}Size;\n"
  "extern const unsigned int ${SYMBOL}Storage;\n"
  "alignas(16) const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\n"
  "const unsigned int ${SYMBOL}Size = ${size};\n"
  "const unsigned int ${SYMBOL}Storage = ${storage};\n")
