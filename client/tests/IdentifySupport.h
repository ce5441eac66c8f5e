#pragma once
// Shared by the identification tests: a registered client library in a fresh state root, a
// Luminent with its log on, simulated cameras, and a way to tell which target class an
// object is by what it answers.

#include "client/ModelTable.h"
#include "client/tests/LuminFixture.h"
#include "common/ICamIdentifyTarget.h"
#include "common/ILuminentError.h"
#include "testsupport/CamSimFixture.h"

#include <memory>
#include <string>
#include <vector>

namespace lumin::test {

class IdentifyFixture : public LuminFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts a camera on a loopback address of its own; null (with a test failure) if none.
    camsim::CamSim* startCamera(camsim::CamSimConfig config);
    // The log file's text so far.
    std::string logText() const;

    ComPtr<ICamIdentifyTarget> m_identify;
    ComPtr<ILuminentError> m_error;

private:
    std::vector<std::unique_ptr<camsim::CamSim>> m_cameras;
};

// What a target answers for a fixed set of questions: URLs of every kind and its capability
// lists. Two targets of one class initialised with one model name answer alike.
std::string targetAnswers(ICamTarget* target);
// The answers of a target of the given class, created directly and initialised with name.
std::string answersOfClass(TargetClass target, const std::string& name);
// The class the model table gives a model and version; the default for unknown models.
TargetClass expectedTarget(const std::string& name, const std::string& version);

} // namespace lumin::test
