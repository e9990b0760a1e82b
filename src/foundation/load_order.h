// Construction order of the library's static objects. Static initialisation
// order between files is otherwise unspecified, so every library object with
// a dynamic initialiser takes its priority from here; destruction runs in
// the reverse order. The heap function table needs no entry: it is
// constant-initialised and valid before any of these run.
//
//   101  SHARED        read-only tables (KAVRI's dither masks read them)
//   102  KAVRI         library-wide state, built without allocating
//   103  error logger  reads KAVRI_ERROR_LOG, writes the opening banner
//   104  render stack  unloads the stack's default modules at unload
//
// Priorities up to 100 belong to the C++ runtime.
#pragma once

#define KAVRI_LOAD_ORDER_SHARED 101
#define KAVRI_LOAD_ORDER_GLOBAL 102
#define KAVRI_LOAD_ORDER_ERROR_LOGGER 103
#define KAVRI_LOAD_ORDER_RENDER_STACK 104
