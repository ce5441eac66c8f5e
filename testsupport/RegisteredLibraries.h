#pragma once
// Registers deliverables beside the test program into the current state root, as their
// registration would on install. Registering rewrites the hives some hundred times (seconds
// on a busy disk) and CTest runs each test in its own process, so the hives a set of
// libraries leaves are kept beside the build, one copy per build of them, and copied in.

#include <string>
#include <vector>

// libraries: file names in the test program's folder ("Lumin.so"). False with the reason in
// *error when one cannot be registered.
bool registerTestLibraries(const std::vector<std::string>& libraries, std::string* error);
