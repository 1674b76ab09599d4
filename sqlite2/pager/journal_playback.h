#pragma once

// Rolling a database back from its journal: the database is cut back to its page count
// before the transaction and every journaled page gets its original bytes again.

#include "os/file.h"

namespace sqlite2 {

enum class RecordCount {
  kFromHeader,  // a journal left by a crash: only the records its header vouches for
  kFromSize,    // the live transaction's own journal: every complete record in the file
};

enum class PlaybackOutcome {
  kRestored,  // done, or nothing to do (a journal too short to hold its header)
  kCorrupt,   // the journal is not one, or a record it counts went missing while being read
  kDamaged,   // the header does not fit the files (pages counted that the journal lacks, or an
              // original size the file cannot have had): nothing was changed
};

// Plays the journal back into the database file. A record with page number 0 or a wrong
// checksum ends the playback silently (it was being written when the writer died); records
// for pages past the original size are skipped. A damaged header leaves both files as they
// are. Does not sync or delete anything.
PlaybackOutcome playBackJournal(const File& journal, File& database, RecordCount count);

}  // namespace sqlite2
