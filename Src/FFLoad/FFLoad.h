// The media-library loader: finds the shared libraries at run time (a given folder first, then the
// system's search order), binds every entry point the system uses and unloads them again.
// Nothing in the build links the media libraries; all calls go through the tables in FFEntries.h.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "Platform/Library.h"

namespace tw {

using TPathFileName = std::string;

enum TLibrary : uint8_t { avCodec, avDevice, avFilter, avFormat, avUtil, swResample, swScale, myUtil };
constexpr int kLibraryCount = 8;

// A set of TLibrary in one byte, bit n for ordinal n.
class TLibraries {
 public:
  constexpr TLibraries() = default;
  constexpr TLibraries(std::initializer_list<TLibrary> ALibs) {
    for (auto l : ALibs) FBits = static_cast<uint8_t>(FBits | (1u << l));
  }
  constexpr bool Contains(TLibrary ALib) const { return (FBits >> ALib) & 1u; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr uint8_t Byte() const { return FBits; }
  constexpr bool operator==(const TLibraries&) const = default;

 private:
  uint8_t FBits = 0;
};

// The player needs every library; the decoder all but the device and filter libraries.
constexpr TLibraries kPlayerLibraries{avCodec, avDevice, avFilter, avFormat, avUtil, swResample, swScale, myUtil};
constexpr TLibraries kDecoderLibraries{avCodec, avFormat, avUtil, swResample, swScale, myUtil};

// Thrown by CheckLibAV: "Library %s not loaded."
class ELibraryNotLoaded : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A constant row of the library table.
struct TLibraryInfo {
  TLibrary Lib;
  const char* BaseName;      // "avcodec"
  int MajorVersion;          // the headers' major version; -1: not checked
  bool InLibraryPath;        // looked for in LibraryPath
  const char* DefaultFile;   // "libavcodec.so.59"
};
const TLibraryInfo& LibraryInfo(TLibrary ALib);

class TFFLoader {
 public:
  TFFLoader();
  ~TFFLoader();
  TFFLoader(const TFFLoader&) = delete;
  TFFLoader& operator=(const TFFLoader&) = delete;

  const std::string& LastErrMsg() const;
  const TPathFileName& LibraryPath() const;
  void SetLibraryPath(const TPathFileName& AValue);
  bool InstallLogger() const { return FInstallLogger; }
  void SetInstallLogger(bool AValue) { FInstallLogger = AValue; }

  // The set file name, or the default file name (no folder) when none is set.
  TPathFileName GetLibraryName(TLibrary AIndex) const;
  // Unloads that library and stores the name (refused while the libraries are in use).
  void SetLibraryName(TLibrary AIndex, const TPathFileName& AValue);

  bool Load(TLibrary ALibrary);
  // Loads every member; at the first failure releases what this call loaded and answers false.
  bool Load(TLibraries ALibraries);
  bool Loaded(TLibrary ALibrary) const;
  bool Loaded(TLibraries ALibraries) const;
  // Throws ELibraryNotLoaded for the first member (in enumeration order) not loaded.
  void CheckLibAV(TLibraries ALibraries) const;
  void Unload(TLibrary ALibrary);
  void Unload(TLibraries ALibraries);

  // Users (playbacks, open decoders) of the libraries. While any exists, Unload and
  // SetLibraryName are refused: no library may be released under a live context.
  void AddUser();
  void ReleaseUser();
  int Users() const;

  // Where the library was loaded from (the path of its file), empty when not loaded.
  std::string LoadedPath(TLibrary ALibrary) const;
  // "59.37.100" for a loaded media library, empty otherwise.
  std::string RuntimeVersion(TLibrary ALibrary) const;

  // Whether the Unicode file protocol could be registered with the format library.
  bool UnicodeProtocolRegistered() const;

 private:
  bool FInstallLogger = true;
};

// The single loader instance used by every component.
TFFLoader& FFLoader();

// Loads AFileName from AFolder when the folder is non-empty and holds the file (by full path),
// else by bare name through the system's search order. Symbols are global, so a library loaded
// later resolves its dependencies against those already loaded. Returns null and the linker's
// error text on failure. The process's current directory and environment are left alone.
platform::TLibHandle LoadLibraryFrom(const TPathFileName& AFolder, const TPathFileName& AFileName,
                                     std::string& AError);

// Looks up AEntryName and returns its address. A missing required entry throws
// std::runtime_error("Load function %s@%s error: %s"); a missing optional one returns null.
void* BindEntry(const TPathFileName& ALibFile, platform::TLibHandle AHandle, const char* AEntryName,
                bool AOptional);

}  // namespace tw
