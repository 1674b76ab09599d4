#include "db/transaction.h"

#include "db/database.h"

ScopedTransaction::ScopedTransaction(CppSQLiteDB& db) : db_(db), outermost_(!db.inTransaction_) {
  if (!outermost_) return;
  db_.runStatement("BEGIN;");
  db_.inTransaction_ = true;
}

void ScopedTransaction::commit() {
  if (finished_) return;
  if (outermost_) {
    db_.runStatement("COMMIT;");
    db_.inTransaction_ = false;
  }
  finished_ = true;
}

ScopedTransaction::~ScopedTransaction() {
  if (finished_ || !outermost_) return;
  db_.inTransaction_ = false;
  try {
    db_.runStatement("ROLLBACK;");
  } catch (const CppSQLiteException&) {
    // The library has already ended the transaction (or the connection was closed): there
    // is nothing left to roll back, and a destructor must not throw.
  }
}
