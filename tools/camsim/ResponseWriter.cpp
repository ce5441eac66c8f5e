#include "tools/camsim/ResponseWriter.h"

#include <algorithm>
#include <string>

namespace camsim {

bool ResponseWriter::writeHead(std::string_view head)
{
    if (m_faults.slowHeaderDelayMs <= 0)
        return write(head);
    while (!head.empty()) {
        std::size_t end = head.find('\n');
        end = end == std::string_view::npos ? head.size() : end + 1;
        if (!m_stop.sleepFor(std::chrono::milliseconds(m_faults.slowHeaderDelayMs)) ||
            !write(head.substr(0, end)))
            return false;
        head.remove_prefix(end);
    }
    return true;
}

bool ResponseWriter::write(std::string_view data, std::vector<std::size_t> cuts)
{
    for (std::size_t offset : m_faults.splitOffsets)
        if (offset > m_written && offset < m_written + data.size())
            cuts.push_back(offset - m_written);
    std::erase_if(cuts, [&data](std::size_t cut) { return cut == 0 || cut >= data.size(); });
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        if (!m_channel.write(data.data() + from, cut - from))
            return false;
        from = cut;
        if (!m_stop.sleepFor(std::chrono::milliseconds(m_faults.splitPauseMs)))
            return false;
    }
    if (!m_channel.write(data.data() + from, data.size() - from))
        return false;
    m_written += data.size();
    return true;
}

bool ResponseWriter::write(std::span<const std::string_view> pieces, std::vector<std::size_t> cuts)
{
    std::size_t total = 0;
    for (std::string_view piece : pieces)
        total += piece.size();
    const auto inside = [total](std::size_t cut) {
        return cut > 0 && cut < total;
    };
    const bool cut = std::any_of(cuts.begin(), cuts.end(), inside) ||
                     std::any_of(m_faults.splitOffsets.begin(), m_faults.splitOffsets.end(),
                                 [&](std::size_t offset) { return inside(offset - m_written); });
    if (cut) {
        std::string joined;
        joined.reserve(total);
        for (std::string_view piece : pieces)
            joined += piece;
        return write(joined, std::move(cuts));
    }
    if (!m_channel.write(pieces))
        return false;
    m_written += total;
    return true;
}

} // namespace camsim
