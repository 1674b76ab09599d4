// Leak checking (AddressSanitizer builds) leaves out what the reference library itself loses:
// SQLite 2.8.15 does not free everything on some of its paths (sub-selects among them), and
// none of it is ours. Only allocations made inside the reference library match. Linked into
// the test programs that drive it; without a leak checker nothing calls it.

extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:SQLite2.so\n";
}
