#pragma once

#include <string>
#include <vector>

#include "btree/btree_storage.h"

namespace sqlite2 {

// Checks the free list, every tree reachable from the roots and their overflow chains, and that
// every page of the file is used exactly once. Returns the problems found, worded as the
// reference library words them; empty when the file is sound. Changes nothing.
std::vector<std::string> checkFileIntegrity(BtreeStorage& storage,
                                            const std::vector<PageNumber>& roots);

}  // namespace sqlite2
