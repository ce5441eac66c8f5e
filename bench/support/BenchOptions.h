#pragma once
// The "--name value" options of a benchmark program. An option given twice takes its last
// value; a number out of range is clamped to it.

#include <string>
#include <vector>

namespace bench {

class BenchOptions {
public:
    BenchOptions(int argc, char** argv);

    int number(const std::string& name, int fallback, int lowest, int highest) const;
    std::string text(const std::string& name, const std::string& fallback) const;

private:
    const std::string* value(const std::string& name) const;

    std::vector<std::pair<std::string, std::string>> m_pairs;
};

} // namespace bench
