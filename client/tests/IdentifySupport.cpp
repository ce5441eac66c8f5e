#include "client/tests/IdentifySupport.h"

#include "client/Log.h"
#include "common/LuminClasses.h"

#include <fstream>
#include <iterator>

namespace lumin::test {

void IdentifyFixture::SetUp()
{
    LuminFixture::SetUp();
    m_identify = create<ICamIdentifyTarget>(CLSID_Luminent);
    ASSERT_TRUE(m_identify);
    m_error = m_identify.as<ILuminentError>();
    ASSERT_TRUE(m_error);
    ASSERT_EQ(m_error->EnableLog(LogFailure | LogCall), S_OK);
}

void IdentifyFixture::TearDown()
{
    if (m_error)
        m_error->DisableLog();
    m_cameras.clear();
}

camsim::CamSim* IdentifyFixture::startCamera(camsim::CamSimConfig config)
{
    std::string error;
    auto camera = startCameraOnFreeAddress(std::move(config), &error);
    if (!camera) {
        ADD_FAILURE() << "cannot start the simulated camera: " << error;
        return nullptr;
    }
    m_cameras.push_back(std::move(camera));
    return m_cameras.back().get();
}

std::string IdentifyFixture::logText() const
{
    std::ifstream in(logFolder() + "/LuminLog.txt", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string targetAnswers(ICamTarget* target)
{
    std::string answers;
    auto ask = [&answers](auto call) {
        BSTR url = nullptr;
        const HRESULT hr = call(&url);
        answers += std::to_string(hr) + ":" + bstrToUtf8(url) + "|";
        SysFreeString(url);
    };
    ask([&](BSTR* url) { return target->FormatVideoUrl(Arg("h"), nullptr, Arg("2"), url); });
    ask([&](BSTR* url) { return target->FormatImageUrl(Arg("h"), nullptr, Arg("2"), url); });
    ask([&](BSTR* url) { return target->FormatSoundUrl(Arg("h"), url); });
    ask([&](BSTR* url) { return target->FormatHomeUrl(Arg("h"), Arg("2"), url); });
    ask([&](BSTR* url) {
        return target->FormatCenterUrl(Arg("h"), Arg("2"), 640, 480, 10, 20, url);
    });
    ask([&](BSTR* url) { return target->FormatDiscreteZoomUrl(Arg("h"), Arg("2"), 2, url); });
    for (INT flag = 0; flag < 4; ++flag) {
        const Caps caps = getCaps(target, flag);
        answers += std::to_string(caps.hr) + "/" + std::to_string(caps.defaultIndex);
        for (const std::string& entry : caps.entries)
            answers += "," + entry;
        answers += "|";
    }
    return answers;
}

std::string answersOfClass(TargetClass target, const std::string& name)
{
    ComPtr<ICamTarget> object;
    if (FAILED(CoCreateInstance(targetClsid(target), nullptr, CLSCTX_INPROC_SERVER, IID_ICamTarget,
                                object.putVoid())) ||
        FAILED(object->Init(Arg(name.c_str()))))
        return "cannot create " + std::string(targetClassName(target));
    return targetAnswers(object.get());
}

TargetClass expectedTarget(const std::string& name, const std::string& version)
{
    for (const ModelRow& row : modelRows()) {
        if (name != row.name)
            continue;
        for (const FirmwareRow& firmware : row.firmware) {
            if (firmware.version && version == firmware.version)
                return firmware.target;
        }
        return row.defaultTarget;
    }
    return kDefaultTarget;
}

} // namespace lumin::test
