#pragma once

#include <cstdint>

namespace sqlite2 {

// The order of the file's structural integers: the order of the machine that created it.
// New files are little-endian; both orders are read and updated in place.
struct ByteOrder {
  bool bigEndian = false;

  uint16_t u16(const uint8_t* p) const {
    return bigEndian ? static_cast<uint16_t>((p[0] << 8) | p[1])
                     : static_cast<uint16_t>(p[0] | (p[1] << 8));
  }
  uint32_t u32(const uint8_t* p) const {
    return bigEndian
               ? (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3]
               : uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
                     (uint32_t{p[3]} << 24);
  }
  void put16(uint8_t* p, uint16_t v) const {
    if (bigEndian) {
      p[0] = static_cast<uint8_t>(v >> 8);
      p[1] = static_cast<uint8_t>(v);
    } else {
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(v >> 8);
    }
  }
  void put32(uint8_t* p, uint32_t v) const {
    for (int i = 0; i < 4; ++i) {
      int shift = bigEndian ? 24 - 8 * i : 8 * i;
      p[i] = static_cast<uint8_t>(v >> shift);
    }
  }
};

}  // namespace sqlite2
