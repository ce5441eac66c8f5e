#include "bench/support/BenchOptions.h"

#include <algorithm>
#include <cstdlib>

namespace bench {

BenchOptions::BenchOptions(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; i += 2)
        m_pairs.emplace_back(argv[i], argv[i + 1]);
}

const std::string* BenchOptions::value(const std::string& name) const
{
    const std::string flag = "--" + name;
    for (auto it = m_pairs.rbegin(); it != m_pairs.rend(); ++it)
        if (it->first == flag)
            return &it->second;
    return nullptr;
}

int BenchOptions::number(const std::string& name, int fallback, int lowest, int highest) const
{
    const std::string* v = value(name);
    return v ? std::clamp(std::atoi(v->c_str()), lowest, highest) : fallback;
}

std::string BenchOptions::text(const std::string& name, const std::string& fallback) const
{
    const std::string* v = value(name);
    return v ? *v : fallback;
}

} // namespace bench
