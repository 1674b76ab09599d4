# cmake -DINPUT=file -DOUTPUT=header -DNAME=symbol -P embed_file.cmake
# Writes a header that holds the bytes of INPUT as `inline constexpr unsigned char NAME[]`.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n  "
       bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
     "#pragma once\n// Generated from ${INPUT}; do not edit.\n"
     "inline constexpr unsigned char ${NAME}[] = {\n  ${bytes}\n};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
