// The logger: one TDADodovu receives every message of the system and of the media libraries,
// filters it by level, hands it to the application through OnLog (on the main thread by default)
// and optionally appends it to a log file.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "FFBase/FFBaseComponent.h"

namespace tw {

enum TLogLevel : uint8_t { llQuiet, llPanic, llFatal, llError, llWarning, llInfo, llVerbose, llDebug };

// (ordinal - 1) * 8: -8, 0, 8, 16, 24, 32, 40, 48.
int LogLevelToAVLevel(TLogLevel ALevel);
// n / 8 (truncated toward zero) + 1, clamped to llQuiet..llDebug.
TLogLevel AVLevelToLogLevel(int ALevel);
// "Quiet", "Panic", ... "Debug".
const char* LogLevelName(TLogLevel ALevel);

using TLogEvent = std::function<void(TObject* Sender, int32_t AThreadID, TLogLevel ALogLevel,
                                     const std::string& ALogMsg)>;

struct TLogInfo {
  TObject* Sender = nullptr;
  uintptr_t ThreadID = 0;
  TLogLevel LogLevel = llInfo;
  std::string LogMsg;
};

// Formats like printf, except that "%x" gives upper-case hexadecimal digits, as in every format
// string of the components. Messages of any length come out whole.
std::string FormatMessage(const char* AFormat, ...) __attribute__((format(printf, 1, 2)));
std::string FormatMessageV(const char* AFormat, va_list AArgs);

struct TLoggerCore;  // the state shared with threads that are logging right now

class TDADodovu : public TFFBaseComponent {
 public:
  // Fails with std::logic_error("Allow creating only one instance of TDADodovu.") while an
  // application logger exists; replaces (frees) an automatically created one.
  explicit TDADodovu(TComponent* AOwner);
  ~TDADodovu() override;

  bool Active() const;
  void SetActive(bool AValue);
  TLogLevel LogLevel() const;
  void SetLogLevel(TLogLevel AValue);
  std::string LogFile() const;
  void SetLogFile(const std::string& AValue);
  bool LogToFile() const;
  void SetLogToFile(bool AValue);
  bool TriggerEventInMainThread() const;
  void SetTriggerEventInMainThread(bool AValue);
  TLogEvent OnLog() const;
  void SetOnLog(TLogEvent AValue);
  bool AutoCreated() const;

  void Log(TObject* Sender, TLogLevel ALogLevel, const std::string& ALogMsg);
  // Formats only when the message passes the level test.
  void Log(TObject* Sender, TLogLevel ALogLevel, const char* AFormat, ...)
      __attribute__((format(printf, 4, 5)));
  void LogV(TObject* Sender, TLogLevel ALogLevel, const char* AFormat, va_list AArgs);

  // Installs the media libraries' log callback and passes them the level threshold.
  // Requires av_log_set_callback and av_log_set_level to be bound.
  void InstallAVLogCallback();
  // Level from an option value: a level name (any case) or a decimal number.
  // Throws std::invalid_argument for a text that is neither.
  void OptLogLevel(const std::string& AArg);
  // Truncates the open log file, or deletes the file when none is open.
  void ClearLogFile();

 private:
  friend TDADodovu* DefaultLogger();
  std::shared_ptr<TLoggerCore> FCore;
};

// The current logger; creates one (marked auto-created) when there is none.
TDADodovu* DefaultLogger();

// Logging entry points for the rest of the system: they go to the current logger and are safe
// against the logger being replaced or destroyed on another thread at the same moment.
void LogMsg(TObject* Sender, TLogLevel ALogLevel, const std::string& AMsg);
void LogFmt(TObject* Sender, TLogLevel ALogLevel, const char* AFormat, ...)
    __attribute__((format(printf, 3, 4)));

// Removes the media libraries' log callback (restores their default one) if it is installed.
// Called before the utility library is released.
void RemoveAVLogCallback();

}  // namespace tw
