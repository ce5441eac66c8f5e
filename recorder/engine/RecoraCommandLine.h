#pragma once
// The recorder's command line: after any "-" or "/", the whole rest of the line compared,
// in any letter case, with "UnregServer" and "RegServer" (also the bare word alone, as the
// registration tools pass it); anything else starts the server.

#include <string>
#include <string_view>

enum class RecoraCommand { RegServer, UnregServer, Serve };

RecoraCommand parseRecoraCommandLine(std::string_view commandLine);
// argv[1..] joined with single blanks, as the command line after the program name reads.
std::string joinArguments(int argc, char** argv);
