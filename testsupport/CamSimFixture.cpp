#include "testsupport/CamSimFixture.h"

#include <atomic>
#include <cerrno>
#include <unistd.h>

namespace {

constexpr int kFirstHost = 2;
constexpr int kHosts = 253; // 127.0.0.2 … 127.0.0.254

std::atomic<int> g_nextCandidate{0}; // trivial, so safe as a global

} // namespace

std::unique_ptr<camsim::CamSim> startCameraOnFreeAddress(camsim::CamSimConfig config,
                                                         std::string* error)
{
    const int base = static_cast<int>(getpid() % kHosts);
    camsim::StartError failure;
    for (int attempt = 0; attempt < kHosts; ++attempt) {
        int host = kFirstHost + (base + g_nextCandidate++) % kHosts;
        config.address = "127.0.0." + std::to_string(host);
        if (auto sim = camsim::CamSim::start(config, &failure))
            return sim;
        if (failure.code != EADDRINUSE)
            break;
    }
    if (error)
        *error = failure.message;
    return nullptr;
}

camsim::CamSim* CamSimFixture::startCamera(const camsim::CamSimConfig& config)
{
    std::string error;
    auto sim = startCameraOnFreeAddress(config, &error);
    if (!sim) {
        ADD_FAILURE() << "cannot start the simulated camera: " << error;
        return nullptr;
    }
    m_cameras.push_back(std::move(sim));
    return m_cameras.back().get();
}

void CamSimFixture::TearDown()
{
    m_cameras.clear();
}
