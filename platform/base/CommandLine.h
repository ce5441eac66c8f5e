#pragma once
// Small helpers for the programs' command lines.

#include <string>

// True for name, "/name" or "-name" in any letter case ("RegServer", "/regserver", ...).
bool isCommandSwitch(const char* arg, const char* name);
// The running program's own absolute path; empty when it cannot be read.
std::string currentProgramPath();
