#include "namespace/views/Snapshot.h"

#include "common/ICamDataObject.h"
#include "namespace/resources/FoldraStrings.h"
#include "namespace/server/Registration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TaskMemory.h"
#include "platform/registry/RegistryKey.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace foldra {

LocalMoment localNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    return {local.tm_year + 1900,
            local.tm_mon + 1,
            local.tm_mday,
            local.tm_hour,
            local.tm_min,
            local.tm_sec,
            static_cast<int>(ms.count() % 1000)};
}

std::string proposedSnapshotName(const LocalMoment& at)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "_%d%02d%02d_%02d%02d%02d_%02d", at.year, at.month, at.day,
                  at.hour, at.minute, at.second, at.millisecond / 10);
    return loadString(IDS_SNAPSHOT_NAME) + stamp + ".jpg";
}

std::string proposedSnapshotFolder(const std::string& viewSaveDirectory)
{
    std::string folder = viewSaveDirectory;
    if (folder.empty()) {
        RegistryKey settings;
        if (settings.open(HKEY_CURRENT_USER, kFoldraSettingsKey))
            folder = settings.text("LastSaveDir");
    }
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool rememberSnapshotFolder(const std::string& folder)
{
    RegistryKey settings;
    return settings.create(HKEY_CURRENT_USER, kFoldraSettingsKey) &&
           settings.setString("LastSaveDir", folder);
}

HRESULT snapshotBytes(ICamImageObject* image, std::string* bytes)
{
    bytes->clear();
    ComPtr<ICamDataObject> data;
    if (!image || FAILED(image->QueryInterface(IID_ICamDataObject, data.putVoid())))
        return E_FAIL;
    DWORD size = 0;
    BYTE* block = nullptr;
    if (HRESULT hr = data->GetData(FALSE, &size, &block); FAILED(hr))
        return hr;
    bytes->assign(reinterpret_cast<const char*>(block), size);
    CoTaskMemFree(block);
    return bytes->empty() ? E_FAIL : S_OK;
}

bool writeSnapshot(const std::string& path, const std::string& bytes, std::string* error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = "cannot write " + path + ": " + std::strerror(errno);
            ::close(fd);
            ::unlink(path.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

} // namespace foldra
