#include "recorder/engine/RecoraCommandLine.h"

#include "platform/base/AsciiCase.h"

using orvel::equalsIgnoringCase;

RecoraCommand parseRecoraCommandLine(std::string_view commandLine)
{
    // The suite's registration tools pass the bare word: the whole line is taken as if "/"
    // stood before it.
    if (equalsIgnoringCase(commandLine, "UnregServer"))
        return RecoraCommand::UnregServer;
    if (equalsIgnoringCase(commandLine, "RegServer"))
        return RecoraCommand::RegServer;
    for (std::size_t i = commandLine.find_first_of("-/"); i != std::string_view::npos;
         i = commandLine.find_first_of("-/", i + 1)) {
        const std::string_view rest = commandLine.substr(i + 1);
        if (equalsIgnoringCase(rest, "UnregServer"))
            return RecoraCommand::UnregServer;
        if (equalsIgnoringCase(rest, "RegServer"))
            return RecoraCommand::RegServer;
    }
    return RecoraCommand::Serve;
}

std::string joinArguments(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}
