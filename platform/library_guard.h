// Where the installer's libraries come from. Users start the installer from
// their downloads folder, where a web page can leave a DLL named like a
// system library, and Windows looks beside the program first for any library
// that is not a KnownDLL. Three parts keep every library in the system
// directory:
//
//  - GuardLibraryLoading(), the first statement of wWinMain: from then on the
//    process searches the system directory only (SetDefaultDllDirectories
//    with LOAD_LIBRARY_SEARCH_SYSTEM32, where the system has it: Windows 8,
//    or Vista and 7 with KB2533623) and never the current directory
//    (SetDllDirectoryW(L"")). The libraries those load later follow the same
//    rule.
//  - The executable imports only kernel32 and msvcrt (KnownDLLs) when it
//    starts; every other system library is delay-loaded (installer/
//    CMakeLists.txt), and the delay-load hook of this file loads each one
//    with LoadSystemLibrary (system_library.h): before the guard too, and on systems that lack
//    SetDefaultDllDirectories.
//  - Code that loads a library itself (the rich-edit library, GDI+, ...)
//    calls LoadSystemLibrary(L"riched20.dll") and never LoadLibraryW with a
//    bare name, which on a system without the guard looks beside the
//    program first. A library the program links to is delay-loaded only if
//    cmake/DelayLoad.cmake lists it (LI_DELAY_LOADED_LIBRARIES); the image
//    test refuses any other import at start-up.
//
// Libraries that system libraries load by themselves follow the old order
// where SetDefaultDllDirectories is missing (measured under Wine: comctl32
// takes uxtheme, and wininet netapi32, from beside the program then), and
// Wine's built-in libraries do so even with it. So the guard also loads,
// from the system directory, every library named like a DLL that lies in
// the program's folder when it starts: a later load of that name finds it
// in the process. A DLL put there after the
// start is not covered on such systems; only the system's update closes
// that.
#pragma once

#include <windows.h>

#include "platform/system_library.h"

namespace lite_installer {

// Restricts the process's library search; call before anything else.
void GuardLibraryLoading();

}  // namespace lite_installer
