#pragma once
// Sends the parameter trace to a file of its own for the life of a test, to read back what
// the code under test traced.

#include "namespace/params/Trace.h"
#include "testsupport/TempStateRoot.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

class TraceCapture {
public:
    TraceCapture() : m_saved(foldra::traceSettings())
    {
        foldra::TraceSettings settings;
        settings.fileThreshold = foldra::kParamTraceCategory;
        settings.filePath = m_root.path() + "/trace.txt";
        foldra::setTraceSettings(settings);
    }
    ~TraceCapture() { foldra::setTraceSettings(m_saved); }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        std::ifstream in(m_root.path() + "/trace.txt");
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }
    bool has(const std::string& line) const
    {
        const std::vector<std::string> all = lines();
        return std::find(all.begin(), all.end(), line) != all.end();
    }

private:
    TempStateRoot m_root;
    foldra::TraceSettings m_saved;
};
