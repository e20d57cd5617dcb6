// Libraries the installer loads at run time, always from the system folder. The installer runs
// with administrator rights from wherever it was downloaded to; a library loaded by a bare name
// would be looked for in that folder first, and a planted copy there would run as
// administrator. Only the libraries Windows protects are imported; everything else comes here.
#pragma once

#include "platform/win32/windows_api.h"

namespace saverkit::win32 {

// Limits every later library search of the process to the system folder (where Windows has
// SetDefaultDllDirectories; older versions lack it and keep their search order).
void restrictLibrarySearchToSystemFolder();

// The library of that name from the system folder, loaded once and kept; null when it is not
// there.
HMODULE systemLibrary(const char* name);

// Loads, from the system folder by full path, every library that the system's own libraries
// load later by a bare name while the installer shows its windows, its licence and read-me,
// its questions and its movie. A library once loaded answers every later load by its name, so
// no search, restricted or not, ever looks in the installer's folder for them: Wine resolves
// such late loads with the old search order, and so does every Windows without
// SetDefaultDllDirectories. Called before any window exists; the list is in the source, with
// what brings each in.
void preloadSystemLibraries();

// The common controls: version 6 where the program's manifest asks for it and the system can
// restrict the search of the library and everything it loads to the system folder; otherwise the
// system folder's own copy (version 5). Loaded once and kept; null when neither loads. Never
// imported: the loader would resolve an import, and the theme library it brings, before WinMain
// could restrict anything.
HMODULE commonControlsLibrary();

// An export of a system library, as the function type the caller names.
template <typename Function>
Function systemFunction(const char* library, const char* name) {
  HMODULE module = systemLibrary(library);
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace saverkit::win32
