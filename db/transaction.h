#pragma once

// Runs the statements of one operation as one transaction, so that a failure part-way
// leaves the file as it was:
//
//   ScopedTransaction transaction(db);   // BEGIN
//   ... statements ...
//   transaction.commit();                // COMMIT
//
// Leaving the scope without commit() (an exception, or an early return) runs ROLLBACK.
// A ScopedTransaction made while another one is open on the same connection joins it: its
// BEGIN, COMMIT and ROLLBACK are left to the outer one, so routines that use one (such as
// DeleteTypeRows) can run inside a larger operation's transaction. Statements that run
// BEGIN, COMMIT or ROLLBACK themselves must not be mixed with it.

class CppSQLiteDB;

class ScopedTransaction {
 public:
  explicit ScopedTransaction(CppSQLiteDB& db);
  ~ScopedTransaction();
  ScopedTransaction(const ScopedTransaction&) = delete;
  ScopedTransaction& operator=(const ScopedTransaction&) = delete;

  // Commits (the outermost scope only). If COMMIT fails it raises, and leaving the scope
  // then rolls back.
  void commit();

 private:
  CppSQLiteDB& db_;
  bool outermost_;
  bool finished_ = false;
};
