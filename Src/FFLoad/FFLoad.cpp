#include "FFLoad/FFLoad.h"

#include <array>
#include <cassert>
#include <vector>

#include "FFLoad/FFEntries.h"
#include "FFLoad/LockManager.h"
#include "FFLog/FFLog.h"

namespace tw {

namespace {

// One entry point: its name, whether it may be missing, and where the address goes.
struct TEntry {
  const char* Name;
  bool Optional;
  void (*Store)(void* AAddress);
};

#define TW_ENTRY(ns, name, opt) \
  TEntry{#name, opt, [](void* p) { ns::name = reinterpret_cast<decltype(ns::name)>(p); }},
#define TW_REQ(name) TW_ENTRY(ff, name, false)
#define TW_REQ_T(name, ...) TW_ENTRY(ff, name, false)
#define TW_OPT(name) TW_ENTRY(ff, name, true)
#define TW_OPT_T(name, ...) TW_ENTRY(ff, name, true)

const TEntry kAVCodecEntries[] = {
#include "FFLoad/Entries/avcodec.inc"
};
const TEntry kAVDeviceEntries[] = {
#include "FFLoad/Entries/avdevice.inc"
};
const TEntry kAVFilterEntries[] = {
#include "FFLoad/Entries/avfilter.inc"
};
const TEntry kAVFormatEntries[] = {
#include "FFLoad/Entries/avformat.inc"
};
const TEntry kAVUtilEntries[] = {
#include "FFLoad/Entries/avutil.inc"
};
const TEntry kSWResampleEntries[] = {
#include "FFLoad/Entries/swresample.inc"
};
const TEntry kSWScaleEntries[] = {
#include "FFLoad/Entries/swscale.inc"
};

#undef TW_REQ
#undef TW_REQ_T
#define TW_REQ(name) TW_ENTRY(crt, name, false)
#define TW_REQ_T(name, ...) TW_ENTRY(crt, name, false)
const TEntry kLibCEntries[] = {
#include "FFLoad/Entries/libc.inc"
};
#undef TW_REQ
#undef TW_REQ_T
#undef TW_OPT
#undef TW_OPT_T
#undef TW_ENTRY

struct TEntryList {
  const TEntry* First;
  size_t Count;
};
template <size_t N>
constexpr TEntryList ListOf(const TEntry (&AEntries)[N]) {
  return {AEntries, N};
}

struct TLibraryRow {
  TLibraryInfo Info;
  TEntryList Entries;
};

// Major versions from the headers this program is compiled against.
const TLibraryRow kLibraryTable[kLibraryCount] = {
    {{avCodec, "avcodec", LIBAVCODEC_VERSION_MAJOR, true, "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR)},
     ListOf(kAVCodecEntries)},
    {{avDevice, "avdevice", LIBAVDEVICE_VERSION_MAJOR, true, "libavdevice.so." AV_STRINGIFY(LIBAVDEVICE_VERSION_MAJOR)},
     ListOf(kAVDeviceEntries)},
    {{avFilter, "avfilter", LIBAVFILTER_VERSION_MAJOR, true, "libavfilter.so." AV_STRINGIFY(LIBAVFILTER_VERSION_MAJOR)},
     ListOf(kAVFilterEntries)},
    {{avFormat, "avformat", LIBAVFORMAT_VERSION_MAJOR, true, "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR)},
     ListOf(kAVFormatEntries)},
    {{avUtil, "avutil", LIBAVUTIL_VERSION_MAJOR, true, "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR)},
     ListOf(kAVUtilEntries)},
    {{swResample, "swresample", LIBSWRESAMPLE_VERSION_MAJOR, true,
      "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR)},
     ListOf(kSWResampleEntries)},
    {{swScale, "swscale", LIBSWSCALE_VERSION_MAJOR, true, "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR)},
     ListOf(kSWScaleEntries)},
    {{myUtil, "c", -1, false, "libc.so.6"}, ListOf(kLibCEntries)},
};

// The run-time version function of a library, once bound.
unsigned (*VersionFunction(TLibrary ALib))() {
  switch (ALib) {
    case avCodec: return ff::avcodec_version;
    case avDevice: return ff::avdevice_version;
    case avFilter: return ff::avfilter_version;
    case avFormat: return ff::avformat_version;
    case avUtil: return ff::avutil_version;
    case swResample: return ff::swresample_version;
    case swScale: return ff::swscale_version;
    case myUtil: return nullptr;
  }
  return nullptr;
}

// The order in which libraries depend on one another. When a library is loaded from a folder,
// the folder's copies of everything before it in this order are loaded first, so its
// dependencies resolve to those copies and not to the system's.
const char* const kDependencyOrder[] = {
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR),
    "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR),
    "libpostproc.so." AV_STRINGIFY(LIBPOSTPROC_VERSION_MAJOR),
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
    "libavfilter.so." AV_STRINGIFY(LIBAVFILTER_VERSION_MAJOR),
    "libavdevice.so." AV_STRINGIFY(LIBAVDEVICE_VERSION_MAJOR),
};

int DependencyRank(TLibrary ALib) {
  const std::string file = kLibraryTable[ALib].Info.DefaultFile;
  for (size_t i = 0; i < std::size(kDependencyOrder); ++i)
    if (file == kDependencyOrder[i]) return static_cast<int>(i);
  return -1;
}

struct TLibraryStatus {
  TLibrary Lib;
  TPathFileName Name;
  platform::TLibHandle Handle = nullptr;
  bool Fixuped = false;
  std::vector<platform::TLibHandle> Siblings;  // the folder's copies loaded ahead of it
};

struct TLoaderModule {
  std::string LastErrMsg;
  TPathFileName LibraryPath;
  std::array<TLibraryStatus, kLibraryCount> Status{};
  int Users = 0;
  bool UnicodeProtocolTried = false;
  bool UnicodeProtocolRegistered = false;
  TLoaderModule() {
    for (int i = 0; i < kLibraryCount; ++i) Status[static_cast<size_t>(i)].Lib = static_cast<TLibrary>(i);
  }
};

TLoaderModule& Module() {
  static TLoaderModule m;
  return m;
}

TLibraryStatus& StatusOf(TLibrary ALib) { return Module().Status[ALib]; }

void Unbind(TLibrary ALib) {
  const TEntryList& list = kLibraryTable[ALib].Entries;
  for (size_t i = 0; i < list.Count; ++i) list.First[i].Store(nullptr);
}

// Binds every entry point of the library, checks its version and runs its registration step.
// Throws with the message for LastErrMsg on the first failure.
void Bind(TLibrary ALib, const TPathFileName& AFile, platform::TLibHandle AHandle) {
  const TEntryList& list = kLibraryTable[ALib].Entries;
  for (size_t i = 0; i < list.Count; ++i)
    list.First[i].Store(BindEntry(AFile, AHandle, list.First[i].Name, list.First[i].Optional));

  const TLibraryInfo& info = kLibraryTable[ALib].Info;
  if (auto version = VersionFunction(ALib)) {
    const unsigned v = version();
    const int major = static_cast<int>(v >> 16);
    if (major != info.MajorVersion)
      throw std::runtime_error(FormatMessage(
          "Library %s has version %u.%u.%u, but this program was built for major version %d.", AFile.c_str(),
          v >> 16, (v >> 8) & 0xFF, v & 0xFF, info.MajorVersion));
  }

  switch (ALib) {
    case avCodec:
      if (ff::avcodec_register_all) ff::avcodec_register_all();
      break;
    case avDevice:
      ff::avdevice_register_all();
      break;
    case avFilter:
      if (ff::avfilter_register_all) ff::avfilter_register_all();
      break;
    case avFormat:
      if (ff::av_register_all) ff::av_register_all();
      ff::avformat_network_init();
      break;
    default:
      break;
  }
}

void ReleaseSiblings(TLibraryStatus& AStatus) {
  while (!AStatus.Siblings.empty()) {
    platform::FreeSharedLibrary(AStatus.Siblings.back());
    AStatus.Siblings.pop_back();
  }
}

// Loads the folder's copies of the libraries ALib depends on, ahead of it.
void LoadSiblings(TLibrary ALib, const std::string& AFolder, TLibraryStatus& AStatus) {
  const int rank = DependencyRank(ALib);
  for (int i = 0; i < rank; ++i) {
    const std::string path = AFolder + kDependencyOrder[i];
    if (!platform::FileExists(path)) continue;
    std::string error;
    if (auto h = platform::LoadSharedLibrary(path, error)) AStatus.Siblings.push_back(h);
  }
}

const char* kInUseMessage = "The media libraries are in use and cannot be unloaded.";

}  // namespace

const TLibraryInfo& LibraryInfo(TLibrary ALib) { return kLibraryTable[ALib].Info; }

platform::TLibHandle LoadLibraryFrom(const TPathFileName& AFolder, const TPathFileName& AFileName,
                                     std::string& AError) {
  if (!AFolder.empty()) {
    const std::string full = platform::IncludeTrailingPathDelimiter(AFolder) + AFileName;
    if (platform::FileExists(full)) return platform::LoadSharedLibrary(full, AError);
  }
  return platform::LoadSharedLibrary(AFileName, AError);
}

void* BindEntry(const TPathFileName& ALibFile, platform::TLibHandle AHandle, const char* AEntryName,
                bool AOptional) {
  std::string error;
  void* p = platform::FindSymbol(AHandle, AEntryName, error);
  if (!p && !AOptional)
    throw std::runtime_error(
        FormatMessage("Load function %s@%s error: %s", AEntryName, ALibFile.c_str(), error.c_str()));
  return p;
}

TFFLoader::TFFLoader() = default;

TFFLoader::~TFFLoader() = default;

const std::string& TFFLoader::LastErrMsg() const { return Module().LastErrMsg; }

const TPathFileName& TFFLoader::LibraryPath() const { return Module().LibraryPath; }

void TFFLoader::SetLibraryPath(const TPathFileName& AValue) { Module().LibraryPath = AValue; }

TPathFileName TFFLoader::GetLibraryName(TLibrary AIndex) const {
  const auto& st = StatusOf(AIndex);
  if (!st.Name.empty()) return st.Name;
  return kLibraryTable[AIndex].Info.DefaultFile;
}

void TFFLoader::SetLibraryName(TLibrary AIndex, const TPathFileName& AValue) {
  if (Module().Users > 0) {
    Module().LastErrMsg = kInUseMessage;
    return;
  }
  Unload(AIndex);
  StatusOf(AIndex).Name = AValue;
}

bool TFFLoader::Load(TLibrary ALibrary) {
  auto& m = Module();
  auto& st = StatusOf(ALibrary);
  const TLibraryInfo& info = kLibraryTable[ALibrary].Info;
  if (!st.Handle) {
    std::string folder, file;
    platform::SplitPath(GetLibraryName(ALibrary), folder, file);
    if (folder.empty() && !m.LibraryPath.empty() && info.InLibraryPath)
      folder = platform::IncludeTrailingPathDelimiter(m.LibraryPath);
    const bool fromFolder = !folder.empty() && platform::FileExists(folder + file);
    if (fromFolder) LoadSiblings(ALibrary, folder, st);
    std::string error;
    st.Handle = LoadLibraryFrom(folder, file, error);
    if (!st.Handle) {
      ReleaseSiblings(st);
      m.LastErrMsg = FormatMessage("Load library %s error: %s", (folder + file).c_str(), error.c_str());
      return false;
    }
    // Every library must share one utility library; a second copy means the folder's copies
    // and the system's got mixed.
    if (platform::CountLoadedObjects("libavutil.so.") > 1) {
      m.LastErrMsg = FormatMessage(
          "Load library %s error: it brought a second copy of libavutil into the process "
          "(the libraries of one set must come from one folder)",
          (folder + file).c_str());
      platform::FreeSharedLibrary(st.Handle);
      st.Handle = nullptr;
      ReleaseSiblings(st);
      return false;
    }
  }
  if (!st.Fixuped) {
    try {
      Bind(ALibrary, GetLibraryName(ALibrary), st.Handle);
      st.Fixuped = true;
    } catch (const std::exception& e) {
      m.LastErrMsg = e.what();
    }
  }
  if (!st.Fixuped) {
    Unbind(ALibrary);
    platform::FreeSharedLibrary(st.Handle);
    st.Handle = nullptr;
    ReleaseSiblings(st);
    return false;
  }
  switch (ALibrary) {
    case avCodec:
      if (ff::av_lockmgr_register) ff::av_lockmgr_register(LockManagerCallback);
      break;
    case avUtil:
      if (FInstallLogger) DefaultLogger()->InstallAVLogCallback();
      break;
    case avFormat:
      if (!m.UnicodeProtocolTried) {
        m.UnicodeProtocolTried = true;
        // Outside protocols can be registered only where the library exports its private
        // registration call; otherwise "unicode:" names go through an I/O context of our own.
        m.UnicodeProtocolRegistered = false;
      }
      break;
    default:
      break;
  }
  return true;
}

bool TFFLoader::Load(TLibraries ALibraries) {
  assert(!ALibraries.Empty());
  bool loadedBefore[kLibraryCount];
  for (int i = 0; i < kLibraryCount; ++i) loadedBefore[i] = Loaded(static_cast<TLibrary>(i));
  for (int i = 0; i < kLibraryCount; ++i) {
    const auto lib = static_cast<TLibrary>(i);
    if (!ALibraries.Contains(lib)) continue;
    if (!Load(lib)) {
      // Undo only what this call loaded; libraries other components use stay.
      const std::string error = Module().LastErrMsg;
      for (int j = 0; j < i; ++j)
        if (ALibraries.Contains(static_cast<TLibrary>(j)) && !loadedBefore[j] && Module().Users == 0)
          Unload(static_cast<TLibrary>(j));
      Module().LastErrMsg = error;
      return false;
    }
  }
  return true;
}

bool TFFLoader::Loaded(TLibrary ALibrary) const {
  const auto& st = StatusOf(ALibrary);
  return st.Handle && st.Fixuped;
}

bool TFFLoader::Loaded(TLibraries ALibraries) const {
  assert(!ALibraries.Empty());
  for (int i = 0; i < kLibraryCount; ++i)
    if (ALibraries.Contains(static_cast<TLibrary>(i)) && !Loaded(static_cast<TLibrary>(i))) return false;
  return true;
}

void TFFLoader::CheckLibAV(TLibraries ALibraries) const {
  for (int i = 0; i < kLibraryCount; ++i) {
    const auto lib = static_cast<TLibrary>(i);
    if (ALibraries.Contains(lib) && !Loaded(lib))
      throw ELibraryNotLoaded(FormatMessage("Library %s not loaded.", kLibraryTable[lib].Info.BaseName));
  }
}

void TFFLoader::Unload(TLibrary ALibrary) {
  auto& m = Module();
  if (m.Users > 0) {
    m.LastErrMsg = kInUseMessage;
    return;
  }
  auto& st = StatusOf(ALibrary);
  if (st.Fixuped) {
    if (ALibrary == avCodec && ff::av_lockmgr_register) ff::av_lockmgr_register(nullptr);
    if (ALibrary == avUtil) RemoveAVLogCallback();
    Unbind(ALibrary);
    st.Fixuped = false;
  }
  if (st.Handle) {
    platform::FreeSharedLibrary(st.Handle);
    st.Handle = nullptr;
  }
  ReleaseSiblings(st);
}

void TFFLoader::Unload(TLibraries ALibraries) {
  assert(!ALibraries.Empty());
  for (int i = 0; i < kLibraryCount; ++i)
    if (ALibraries.Contains(static_cast<TLibrary>(i))) Unload(static_cast<TLibrary>(i));
}

void TFFLoader::AddUser() { ++Module().Users; }

void TFFLoader::ReleaseUser() {
  if (Module().Users > 0) --Module().Users;
}

int TFFLoader::Users() const { return Module().Users; }

std::string TFFLoader::LoadedPath(TLibrary ALibrary) const {
  if (!Loaded(ALibrary)) return {};
  const void* probe = ALibrary == myUtil ? reinterpret_cast<const void*>(crt::vsnprintf)
                                         : reinterpret_cast<const void*>(VersionFunction(ALibrary));
  return platform::ModulePathOf(probe);
}

std::string TFFLoader::RuntimeVersion(TLibrary ALibrary) const {
  if (!Loaded(ALibrary)) return {};
  auto version = VersionFunction(ALibrary);
  if (!version) return {};
  const unsigned v = version();
  return FormatMessage("%u.%u.%u", v >> 16, (v >> 8) & 0xFF, v & 0xFF);
}

bool TFFLoader::UnicodeProtocolRegistered() const { return Module().UnicodeProtocolRegistered; }

namespace {
// Module end: the lock manager stops working, every library is released, the records go.
struct TLoaderFinaliser {
  ~TLoaderFinaliser() {
    SetLockManagerFinalising(true);
    Module().Users = 0;
    FFLoader().Unload(kPlayerLibraries);
    FreeLockManagerRecords();
  }
};
}  // namespace

TFFLoader& FFLoader() {
  // The module state is made first so that it outlives the finaliser below.
  static TLoaderModule& module = Module();
  (void)module;
  static TFFLoader loader;
  static TLoaderFinaliser finaliser;
  return loader;
}

}  // namespace tw
