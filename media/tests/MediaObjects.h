#pragma once
// Creating the media objects in tests as their users do: by class id through the registry,
// with the built library registered in a fresh state root for the test program.

#include "common/ICamDataObject.h"
#include "common/ICamImageObject.h"
#include "common/ICamSoundObject.h"
#include "platform/com/ComPtr.h"

#include <cstdint>
#include <string>
#include <vector>

namespace medrix::test {

// bin/Medrix.so beside the test program.
std::string medrixLibraryPath();

ComPtr<ICamImageObject> createImageObject();
ComPtr<ICamSoundObject> createSoundObject();

// Refills an object as the camera client does: Lock, header properties, SetData, Unlock.
void refill(IUnknown* object, const std::vector<std::uint8_t>& bytes,
            const char* contentType = "image/jpeg");

} // namespace medrix::test
