#pragma once

// The fixture of the LockedFile tests: a 2 KB file and a way to ask another connection what
// it may lock (support of process_probe.h).

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "os/locked_file.h"
#include "process_probe.h"
#include "support/temp_dir.h"

namespace sqlite2 {

class LockedFileTest : public ::testing::Test {
 protected:
  void SetUp() override { orvalen::test::writeFile(path_, std::string(2048, 'x')); }
  std::unique_ptr<LockedFile> connect(const std::string& path) {
    return std::make_unique<LockedFile>(File::openReadWrite(path));
  }
  bool othersCanRead() {
    return orvalen::test::otherProcessCanLock(path_, orvalen::test::ProbeLock::kRead);
  }
  bool othersCanWrite() {
    return orvalen::test::otherProcessCanLock(path_, orvalen::test::ProbeLock::kWrite);
  }

  orvalen::test::TempDir dir_;
  std::string path_ = dir_.file("db");
};

}  // namespace sqlite2
