#pragma once

// An edit is stored first and then shown. When showing it fails (reading back a list after a
// busy time-out), the user must not be told that the edit was lost, or they would make it
// again: such failures travel as ShowingStoredChangeFailed.

#include "db/exception.h"

namespace orvalen {

struct ShowingStoredChangeFailed {
  CppSQLiteException error;
};

// Runs show, which reads back what a stored edit has changed.
template <class Show>
void AfterStoring(Show show) {
  try {
    show();
  } catch (const CppSQLiteException& error) {
    throw ShowingStoredChangeFailed{error};
  }
}

}  // namespace orvalen
