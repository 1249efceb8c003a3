// Shared-library loading: the only place that talks to the dynamic linker.
#pragma once
#include <string>

namespace tw::platform {

using TLibHandle = void*;

// Loads a shared library by path (containing "/") or by bare name (the system's search order).
// Symbols are made global, so libraries loaded later resolve their dependencies against it.
// Returns null and fills AError with the linker's text on failure.
TLibHandle LoadSharedLibrary(const std::string& AFileName, std::string& AError);

// Releases a library loaded with LoadSharedLibrary. Null is ignored.
void FreeSharedLibrary(TLibHandle AHandle);

// Looks up an exported symbol. Returns null and fills AError when it is absent.
void* FindSymbol(TLibHandle AHandle, const char* AName, std::string& AError);

// The path from which the object that holds AAddress was loaded; empty when unknown.
std::string ModulePathOf(const void* AAddress);

// How many loaded objects have a file name starting with APrefix (for example "libavutil.so.").
int CountLoadedObjects(const std::string& APrefix);

bool FileExists(const std::string& APath);
std::string CurrentDirectory();

// Appends "/" unless the folder is empty or already ends with one.
std::string IncludeTrailingPathDelimiter(const std::string& AFolder);

// Splits a path into folder (with its trailing "/") and bare file name.
void SplitPath(const std::string& APath, std::string& AFolder, std::string& AFile);

}  // namespace tw::platform
