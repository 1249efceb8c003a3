// The base of the media components: version, time-outs, the seek-flag set, the event raised before
// stream information is read, and running a routine on the main thread.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "FFBase/Component.h"

struct AVFormatContext;

namespace tw {

enum TSeekFlag : uint8_t { sfBackward = 0, sfByte = 1, sfAny = 2, sfFrame = 3 };

// A set of TSeekFlag held in one byte, bit n standing for ordinal n.
class TSeekFlags {
 public:
  constexpr TSeekFlags() = default;
  constexpr TSeekFlags(std::initializer_list<TSeekFlag> AFlags) {
    for (auto f : AFlags) FBits = static_cast<uint8_t>(FBits | (1u << f));
  }
  static constexpr TSeekFlags FromByte(uint8_t ABits) {
    TSeekFlags s;
    s.FBits = ABits;
    return s;
  }
  constexpr bool Contains(TSeekFlag AFlag) const { return (FBits >> AFlag) & 1u; }
  constexpr TSeekFlags& Include(TSeekFlag AFlag) {
    FBits = static_cast<uint8_t>(FBits | (1u << AFlag));
    return *this;
  }
  constexpr TSeekFlags& Exclude(TSeekFlag AFlag) {
    FBits = static_cast<uint8_t>(FBits & ~(1u << AFlag));
    return *this;
  }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr uint8_t Byte() const { return FBits; }
  constexpr bool operator==(const TSeekFlags&) const = default;

 private:
  uint8_t FBits = 0;
};

// The media library's seek flags for a set: the low four bits of its byte, so sfBackward is
// AVSEEK_FLAG_BACKWARD (1), sfByte AVSEEK_FLAG_BYTE (2), sfAny AVSEEK_FLAG_ANY (4) and sfFrame
// AVSEEK_FLAG_FRAME (8).
constexpr int SeekFlagsToAV(TSeekFlags AFlags) { return AFlags.Byte() & 0x0F; }

// A parameterless routine bound to an object.
using TMethod = std::function<void()>;

using TBeforeFindStreamInfoEvent = std::function<void(TObject* Sender, AVFormatContext* AFormatContext)>;

class TFFBaseComponent : public TComponent {
 public:
  explicit TFFBaseComponent(TComponent* AOwner);
  ~TFFBaseComponent() override = default;

  const std::string& About() const { return FAbout; }
  void SetAbout(const std::string& AValue) { FAbout = AValue; }
  const std::string& Version() const { return FVersion; }
  // Milliseconds a blocking open or read may take; 0 or less disables the limit.
  int32_t ReadTimeout() const { return FReadTimeout; }
  void SetReadTimeout(int32_t AValue) { FReadTimeout = AValue; }
  int32_t WriteTimeout() const { return FWriteTimeout; }
  void SetWriteTimeout(int32_t AValue) { FWriteTimeout = AValue; }

  // Runs AMethod on the main thread and returns when it has run (at once on the main thread).
  // Returns false when the main thread no longer serves calls.
  static bool CallInMainThread(const TMethod& AMethod);

 private:
  std::string FAbout;
  std::string FVersion;
  int32_t FReadTimeout;
  int32_t FWriteTimeout;
};

}  // namespace tw
