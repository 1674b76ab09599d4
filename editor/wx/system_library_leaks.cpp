// Leak checking (AddressSanitizer builds) leaves out what the desktop's own libraries keep
// for the life of the process: fontconfig's font lists, GLib's and GTK's type system and
// caches, the D-Bus connection. They are never freed by design, and none of them is ours.
// Linked into each program that starts GTK; without a leak checker nothing calls it.

extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libdbus-1.so\n"
         "leak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\n"
         "leak:libgio-2.0.so\n"
         "leak:libgtk-3.so\n"
         "leak:libgdk-3.so\n"
         "leak:libpango-1.0.so\n"
         "leak:libpangoft2-1.0.so\n"
         "leak:libcairo.so\n"
         "leak:libatk-1.0.so\n"
         "leak:libatk-bridge-2.0.so\n";
}
