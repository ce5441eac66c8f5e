#pragma once
// Where persistent state lives: the registry hives, the namespace's object file and logs.
// ORVEL_STATE_ROOT moves all of it below one folder (tests give each run a fresh one);
// otherwise the XDG base directories with one application folder.

#include <string>

inline constexpr const char* kStateRootVariable = "ORVEL_STATE_ROOT";

// Folders end without "/" and are created on first use; empty when they cannot be created.
std::string configFolder(); // registry hives
std::string dataFolder();   // the object file
std::string stateFolder();  // logs that cannot live beside their library
