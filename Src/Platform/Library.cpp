#include "Platform/Library.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <vector>

namespace tw::platform {

namespace {
std::string LastDlError() {
  const char* e = ::dlerror();
  return e ? std::string(e) : std::string("unknown error");
}
}  // namespace

TLibHandle LoadSharedLibrary(const std::string& AFileName, std::string& AError) {
  ::dlerror();
  void* h = ::dlopen(AFileName.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (!h) AError = LastDlError();
  return h;
}

void FreeSharedLibrary(TLibHandle AHandle) {
  if (AHandle) ::dlclose(AHandle);
}

void* FindSymbol(TLibHandle AHandle, const char* AName, std::string& AError) {
  ::dlerror();
  void* p = ::dlsym(AHandle, AName);
  if (!p) AError = LastDlError();
  return p;
}

std::string ModulePathOf(const void* AAddress) {
  Dl_info info{};
  if (::dladdr(AAddress, &info) && info.dli_fname) return info.dli_fname;
  return {};
}

int CountLoadedObjects(const std::string& APrefix) {
  struct Ctx {
    const std::string* prefix;
    int count;
  } ctx{&APrefix, 0};
  ::dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) -> int {
        auto* c = static_cast<Ctx*>(data);
        if (!info->dlpi_name || !*info->dlpi_name) return 0;
        const char* base = std::strrchr(info->dlpi_name, '/');
        base = base ? base + 1 : info->dlpi_name;
        if (std::strncmp(base, c->prefix->c_str(), c->prefix->size()) == 0) ++c->count;
        return 0;
      },
      &ctx);
  return ctx.count;
}

bool FileExists(const std::string& APath) {
  struct stat st{};
  return ::stat(APath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string CurrentDirectory() {
  std::vector<char> buf(PATH_MAX + 1);
  if (::getcwd(buf.data(), buf.size())) return buf.data();
  return {};
}

std::string IncludeTrailingPathDelimiter(const std::string& AFolder) {
  if (AFolder.empty() || AFolder.back() == '/') return AFolder;
  return AFolder + '/';
}

void SplitPath(const std::string& APath, std::string& AFolder, std::string& AFile) {
  const auto pos = APath.rfind('/');
  if (pos == std::string::npos) {
    AFolder.clear();
    AFile = APath;
  } else {
    AFolder = APath.substr(0, pos + 1);
    AFile = APath.substr(pos + 1);
  }
}

}  // namespace tw::platform
