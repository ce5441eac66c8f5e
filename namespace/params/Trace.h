#pragma once
// The trace of the camera-parameter code: lines for a developer, never for the user. A line
// reads "<level> <operation> - <message>". It goes to the debugger output (standard error,
// when ORVEL_DEBUG_TRACE is set) when its category is at or below the debugger threshold, and
// is appended to the trace file when at or below the file threshold (0, off, unless
// ORVEL_FOLDRA_TRACE names a threshold). Control characters in a message become blanks, so a
// line stays one line whatever a camera sent. Any thread may trace: lines are serialised by one
// lock, and errno is what it was before the call.

#include <cstdint>
#include <string>
#include <string_view>

namespace foldra {

enum class TraceLevel : int { Error = 2, Warning = 3 };

// Every line of the parameter code carries this category.
inline constexpr int kParamTraceCategory = 2;
inline constexpr int kDefaultDebuggerThreshold = 2;
inline constexpr int kDefaultFileThreshold = 0;
// A trace file grown beyond this is moved to the same name plus ".bak" and started anew.
inline constexpr std::uint64_t kTraceFileLimit = 10'000'000;

// The operation names the lines carry.
namespace TraceOp {
inline constexpr const char* OpenUrl = "OpenURL";
inline constexpr const char* GetData = "get data";
inline constexpr const char* QueryResponse = "QueryHTTPResponse";
inline constexpr const char* GetProperty = "get property";
inline constexpr const char* SetProperty = "set property";
inline constexpr const char* ParseTimeout = "parsing timeout";
inline constexpr const char* InterpretUrl = "interpret url";
inline constexpr const char* ConnThread = "conn thread";
inline constexpr const char* StartDataThread = "start data thread";
inline constexpr const char* GetParams = "GetParams";
inline constexpr const char* SetParams = "SetParams";
inline constexpr const char* InitHttp = "parhand init http";
} // namespace TraceOp

const char* traceLevelName(TraceLevel level); // "error", "warning"

struct TraceSettings {
    int debuggerThreshold = kDefaultDebuggerThreshold;
    int fileThreshold = kDefaultFileThreshold;
    std::string filePath; // empty: "FoldraTrace.txt" in the state folder
};

// For tests and diagnostics; takes effect with the next line.
void setTraceSettings(TraceSettings settings);
TraceSettings traceSettings();

void traceLine(int category, TraceLevel level, std::string_view operation,
               std::string_view message);
// printf-style message with the parameter code's category.
void trace(TraceLevel level, const char* operation, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

} // namespace foldra
