#include "FFBase/FFBaseComponent.h"

#include "Platform/MainThread.h"

namespace tw {

namespace {
constexpr const char* kLibraryVersion = "5.2";
constexpr int32_t kDefaultTimeoutMs = 30000;
}  // namespace

TFFBaseComponent::TFFBaseComponent(TComponent* AOwner)
    : TComponent(AOwner),
      FVersion(kLibraryVersion),
      FReadTimeout(kDefaultTimeoutMs),
      FWriteTimeout(kDefaultTimeoutMs) {}

bool TFFBaseComponent::CallInMainThread(const TMethod& AMethod) {
  return platform::CallInMainThread(AMethod);
}

}  // namespace tw
