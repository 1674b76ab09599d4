#pragma once

// The reference SQLite 2.8 is a Linux library, loaded with dlopen by the tests that compare
// against it. A Windows program cannot load it: this stands in for <dlfcn.h> there, so those
// tests build and report the reference engine as unavailable.

#define RTLD_NOW 2
#define RTLD_LOCAL 0
#define RTLD_GLOBAL 0x100
#define RTLD_DEFAULT ((void*)0)

static inline void* dlopen(const char*, int) {
  return 0;
}
static inline void* dlsym(void*, const char*) {
  return 0;
}
static inline int dlclose(void*) {
  return 0;
}
static inline char* dlerror(void) {
  return (char*)"a Linux library cannot be loaded by a Windows program";
}
