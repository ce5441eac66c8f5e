#include "media/CamImageObject.h"

#include "platform/base/RegularFile.h"
#include "platform/com/TaskMemory.h"
#include "platform/draw/DrawSurface.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace medrix {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

CamImageObject::CamImageObject() : m_bih{}
{
    m_bih.biSize = sizeof(_CAM_BIH);
    m_bih.biPlanes = 1;
    m_bih.biBitCount = 24;
    m_bih.biCompression = 0;
}

bool CamImageObject::decode(int nType)
{
    std::lock_guard lock(m_store.mutex());
    if (!m_store.hasBytes())
        return false;
    return m_decoder.decode(m_store.bytes(), m_store.byteCount(), nType, m_bih);
}

HRESULT CamImageObject::Draw(HDC hDC, RECT* pRect)
{
    if (!hDC || !pRect)
        return E_INVALIDARG;
    orvel::draw::DrawSurface* surface = orvel::draw::DrawSurface::fromHdc(hDC);
    if (!surface)
        return E_INVALIDARG;
    std::lock_guard lock(m_store.mutex());
    if (!m_store.hasBytes())
        return E_FAIL;
    // Decoded afresh on every call (no frame is kept between draws), at the smallest scale
    // that still covers the rectangle: a live view of a large frame needs no full decode.
    const int targetWidth = std::abs(pRect->right - pRect->left);
    const int targetHeight = std::abs(pRect->bottom - pRect->top);
    _CAM_BIH scaled = m_bih;
    int fullWidth = 0, fullHeight = 0;
    if (!m_decoder.decodeAtLeast(m_store.bytes(), m_store.byteCount(), targetWidth, targetHeight,
                                 scaled, &fullWidth, &fullHeight) ||
        !m_decoder.pixels())
        return E_FAIL;
    surface->stretchBitmap({m_decoder.pixels(), scaled.biWidth, scaled.biHeight, 4}, *pRect);
    // The object's size stays the frame's own, as after a full decode.
    m_bih.biWidth = fullWidth;
    m_bih.biHeight = fullHeight;
    m_bih.biSizeImage = camBihStride(fullWidth) * static_cast<UI4>(fullHeight);
    return S_OK;
}

HRESULT CamImageObject::GetDimension(LONG* plWidth, LONG* plHeight)
{
    if (!plWidth || !plHeight)
        return E_POINTER;
    std::lock_guard lock(m_store.mutex());
    if (m_bih.biWidth == 0 && m_bih.biHeight == 0 && m_store.hasBytes())
        decode(CamDibFull);
    *plWidth = m_bih.biWidth;
    *plHeight = m_bih.biHeight;
    return S_OK;
}

HRESULT CamImageObject::loadFile(const std::string& path)
{
    // Only a regular file: a pipe in a frame's place would block the load for good.
    int error = 0;
    const int fd = orvel::openRegularFile(path, orvel::RegularFileAccess::Read, &error);
    File file(fd >= 0 ? ::fdopen(fd, "rb") : nullptr);
    if (fd >= 0 && !file)
        ::close(fd);
    // The old bytes go whether or not the file opens.
    m_store.discardBytes();
    if (!file)
        return E_HANDLE;
    struct stat info {};
    if (::fstat(::fileno(file.get()), &info) != 0 || info.st_size <= 0 ||
        info.st_size > static_cast<off_t>(UINT32_MAX))
        return E_FAIL;
    const auto size = static_cast<DWORD>(info.st_size);
    std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[size]);
    if (!bytes)
        return E_OUTOFMEMORY;
    if (std::fread(bytes.get(), 1, size, file.get()) != size)
        return E_FAIL;
    m_store.adoptBytes(std::move(bytes), size);
    return S_OK;
}

HRESULT CamImageObject::GetDIB(BSTR bstrPath, int nType, _CAM_BIH* pBIH, DWORD* pdwSizeBits,
                               BYTE** ppbyBits)
{
    if (pdwSizeBits)
        *pdwSizeBits = 0;
    if (ppbyBits)
        *ppbyBits = nullptr;
    std::lock_guard lock(m_store.mutex());
    HRESULT hr = S_OK;
    std::string path = bstrToUtf8(bstrPath);
    if (!path.empty())
        hr = loadFile(path);

    if (pBIH) {
        if (m_store.hasBytes() && decode(nType)) {
            *pBIH = m_bih;
            if (pdwSizeBits && ppbyBits) {
                auto* copy = static_cast<BYTE*>(CoTaskMemAlloc(m_bih.biSizeImage));
                if (!copy)
                    return E_OUTOFMEMORY;
                std::memcpy(copy, m_decoder.pixels(), m_bih.biSizeImage);
                *ppbyBits = copy;
                *pdwSizeBits = m_bih.biSizeImage;
                hr = S_OK;
            }
        } else if (SUCCEEDED(hr)) {
            // A failed load keeps its own code (E_HANDLE for a missing file).
            hr = E_FAIL;
        }
    }
    return hr;
}

HRESULT CamImageObject::Save(BSTR bstrPath, DWORD* pdwWritten)
{
    if (!bstrPath || !pdwWritten)
        return E_INVALIDARG;
    std::string path = bstrToUtf8(bstrPath);
    std::lock_guard lock(m_store.mutex());
    if (!m_store.hasBytes())
        return E_FAIL;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        *pdwWritten = 0;
        return E_HANDLE;
    }
    // Exactly the received bytes: no re-encoding.
    const BYTE* p = m_store.bytes();
    DWORD left = m_store.byteCount();
    DWORD written = 0;
    while (left > 0) {
        ssize_t n = ::write(fd, p + written, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<DWORD>(n);
        left -= static_cast<DWORD>(n);
    }
    const int writeError = left > 0 ? errno : 0;
    ::close(fd);
    if (left > 0) {
        // A cut frame is no frame: nothing half-written stays behind to be counted.
        ::unlink(path.c_str());
        *pdwWritten = 0;
        return writeError == ENOSPC || writeError == EFBIG || writeError == EDQUOT
                   ? HRESULT_FROM_WIN32(ERROR_DISK_FULL)
                   : E_FAIL;
    }
    *pdwWritten = written;
    return S_OK;
}

} // namespace medrix
