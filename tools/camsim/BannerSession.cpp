// The FTP-port side of a simulated camera: the greeting that identification reads, then the
// commands until QUIT.

#include "tools/camsim/SimContext.h"
#include "tools/camsim/SocketServer.h"

#include <algorithm>
#include <chrono>

namespace camsim {

void serveBanner(SimContext& context, Connection& connection, Channel& channel)
{
    const CamSimConfig& config = context.config;
    std::string greeting;
    switch (config.bannerMode) {
    case BannerMode::Slow:
        if (!context.stop.sleepFor(std::chrono::milliseconds(config.bannerDelayMs)))
            return;
        [[fallthrough]];
    case BannerMode::Normal:
        greeting = context.banner;
        break;
    case BannerMode::UnknownWords:
        greeting = "220 Welcome, the service is ready for you.";
        break;
    case BannerMode::None:
    case BannerMode::Closed:
        break;
    }
    if (!greeting.empty()) {
        greeting += "\r\n";
        const std::size_t cut = std::min(config.bannerSplitAt, greeting.size());
        if (cut > 0) {
            if (!channel.write(greeting.data(), cut) ||
                !context.stop.sleepFor(std::chrono::milliseconds(config.faults.splitPauseMs)))
                return;
        }
        if (!channel.write(greeting.data() + cut, greeting.size() - cut))
            return;
    }

    std::string pending;
    char chunk[512];
    for (;;) {
        std::size_t n = channel.read(chunk, sizeof chunk);
        if (n == 0)
            return;
        pending.append(chunk, n);
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            context.bannerCommands.add(line);
            if (equalsIgnoringCase(line, "QUIT")) {
                static constexpr std::string_view kBye = "221 Goodbye.\r\n";
                channel.write(kBye.data(), kBye.size());
                connection.close(CloseMode::Fin);
                return;
            }
            static constexpr std::string_view kUnknown = "500 Command not understood.\r\n";
            if (!channel.write(kUnknown.data(), kUnknown.size()))
                return;
        }
        if (pending.size() > 4096)
            pending.clear();
    }
}

} // namespace camsim
