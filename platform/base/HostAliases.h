#pragma once
// Host names that stand for loopback addresses, so that tests can give simulated cameras the
// names a user would type ("cam1") without touching the system's host table. Read from
// ORVEL_HOST_ALIASES, "name=127.0.0.N" pairs separated by commas; values other than loopback
// IPv4 addresses are ignored, so the variable can never send a connection off the machine.

#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kHostAliasesVariable = "ORVEL_HOST_ALIASES";

// The loopback address a name stands for (compared without regard to case), if any.
std::optional<std::string> hostAlias(std::string_view name);
