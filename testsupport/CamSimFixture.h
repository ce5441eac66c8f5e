#pragma once
// Gives each test its own simulated camera on a loopback address of its own (127.0.0.N), so
// tests that each talk to "a camera on port 80 and 21" run in parallel processes.

#include "tools/camsim/CamSim.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Starts a camera with config on the first free 127.0.0.N (config.address is replaced). The
// search starts at a place derived from the process id and moves on when an address is
// taken, so parallel test processes do not collide. Null when none could be had.
std::unique_ptr<camsim::CamSim> startCameraOnFreeAddress(camsim::CamSimConfig config,
                                                         std::string* error = nullptr);

class CamSimFixture : public ::testing::Test {
protected:
    // Starts one more camera; reports a test failure and returns null when it cannot. The
    // cameras stop in TearDown.
    camsim::CamSim* startCamera(const camsim::CamSimConfig& config = {});
    camsim::CamSim& camera(std::size_t index = 0) { return *m_cameras.at(index); }

    void TearDown() override;

private:
    std::vector<std::unique_ptr<camsim::CamSim>> m_cameras;
};
