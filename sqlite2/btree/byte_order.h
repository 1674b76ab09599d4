#pragma once

#include <cstdint>

#include "common/integer_bytes.h"

namespace sqlite2 {

// The order of the file's structural integers: the order of the machine that created it.
// New files are little-endian; both orders are read and updated in place.
struct ByteOrder {
  bool bigEndian = false;

  uint16_t u16(const uint8_t* p) const {
    return bigEndian ? readBigEndian16(p) : readLittleEndian16(p);
  }
  uint32_t u32(const uint8_t* p) const {
    return bigEndian ? readBigEndian32(p) : readLittleEndian32(p);
  }
  void put16(uint8_t* p, uint16_t v) const {
    if (bigEndian) {
      writeBigEndian16(p, v);
    } else {
      writeLittleEndian16(p, v);
    }
  }
  void put32(uint8_t* p, uint32_t v) const {
    if (bigEndian) {
      writeBigEndian32(p, v);
    } else {
      writeLittleEndian32(p, v);
    }
  }
};

}  // namespace sqlite2
