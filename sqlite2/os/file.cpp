// What File does alike on every system: owning its descriptor, which only moves.
#include "os/file.h"

namespace sqlite2 {

File::~File() {
  close();
}

File::File(File&& other) noexcept : descriptor_(other.descriptor_), readOnly_(other.readOnly_) {
  other.descriptor_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    descriptor_ = other.descriptor_;
    readOnly_ = other.readOnly_;
    other.descriptor_ = -1;
  }
  return *this;
}

}  // namespace sqlite2
