#pragma once

// Rolling a database back from its journal: the database is cut back to its page count
// before the transaction and every journaled page gets its original bytes again.

#include "os/file.h"
#include "pager/pager.h"

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

// What a playback read, for its caller's invariants.
struct PlaybackReport {
  PageNumber originalPageCount = 0;  // the header's
  uint32_t recordsCounted = 0;       // the records the header vouches for (or the file holds)
  uint32_t recordsRead = 0;          // up to and with the one that ended the playback
  bool endedEarly = false;           // a record with page number 0 or a wrong checksum
};

// Plays the journal back into the database file. A record with page number 0 or a wrong
// checksum ends the playback silently (it was being written when the writer died); records
// for pages past the original size are skipped. A damaged header leaves both files as they
// are. Does not sync or delete anything.
// The report, when asked for, is filled in once the header has been believed.
PlaybackOutcome playBackJournal(const File& journal, File& database, RecordCount count,
                                PlaybackReport* report = nullptr);

}  // namespace sqlite2
