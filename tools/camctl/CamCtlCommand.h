#pragma once
// A camctl subcommand: one file each, named <Name>Command.cpp, and one row in the table of
// CamCtlMain.cpp. A subcommand prints its result on standard output and what went wrong, in
// plain words, on standard error.

#include <string>
#include <vector>

// Exit codes shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;        // the operation failed; the message says why
inline constexpr int kExitUsage = 2;         // wrong arguments
inline constexpr int kExitNotRecognised = 3; // the camera answered, but not as one we know

struct CamCtlCommand {
    const char* name;
    const char* usage; // arguments after the name, e.g. "HOST [--timeout MS]"
    int (*run)(const std::vector<std::string>& args);
};

// IdentifyCommand.cpp
int runIdentify(const std::vector<std::string>& args);
// StreamCommand.cpp, SnapshotCommand.cpp, RequestCommand.cpp
int runStream(const std::vector<std::string>& args);
int runSnapshot(const std::vector<std::string>& args);
int runGet(const std::vector<std::string>& args);
int runPost(const std::vector<std::string>& args);
// RecordCommand.cpp
int runRecord(const std::vector<std::string>& args);
// AviCommand.cpp
int runAvi(const std::vector<std::string>& args);
