#include "api/edge.h"

#include <exception>
#include <new>

#include "api/c_text.h"
#include "common/error.h"
#include "sqlite.h"

namespace sqlite2::api {

int runAtEdge(char** errmsg, const std::function<void()>& body) {
  try {
    body();
    return SQLITE_OK;
  } catch (const Error& error) {
    storeMessage(errmsg, error.what());
    return error.code();
  } catch (const std::bad_alloc&) {
    storeMessage(errmsg, resultCodeText(SQLITE_NOMEM));
    return SQLITE_NOMEM;
  } catch (const std::exception& error) {
    storeMessage(errmsg, error.what());
    return SQLITE_INTERNAL;
  } catch (...) {
    storeMessage(errmsg, resultCodeText(SQLITE_INTERNAL));
    return SQLITE_INTERNAL;
  }
}

int reportMisuse(char** errmsg) {
  storeMessage(errmsg, resultCodeText(SQLITE_MISUSE));
  return SQLITE_MISUSE;
}

}  // namespace sqlite2::api
