#pragma once
// Byte streams (the browser's view-state streams), in the desktop's slot order, and a stream
// on memory that a browser can keep per folder.

#include "platform/com/UnknownImpl.h"

#include <memory>
#include <vector>

inline constexpr IID IID_ISequentialStream = makeGuid("{0C733A30-2A1C-11CE-ADE5-00AA0044773D}");
inline constexpr IID IID_IStream = makeGuid("{0000000C-0000-0000-C000-000000000046}");

inline constexpr DWORD STGM_READ = 0x0;
inline constexpr DWORD STGM_WRITE = 0x1;
inline constexpr DWORD STGM_READWRITE = 0x2;

inline constexpr DWORD STREAM_SEEK_SET = 0;
inline constexpr DWORD STREAM_SEEK_CUR = 1;
inline constexpr DWORD STREAM_SEEK_END = 2;

struct STATSTG; // Stat is not offered

struct ISequentialStream : IUnknown {
    // S_OK; fewer bytes than asked at the end (pcbRead tells).
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

protected:
    ~ISequentialStream() = default;
};
template <> inline constexpr IID iidOf<ISequentialStream> = IID_ISequentialStream;

struct IStream : ISequentialStream {
    virtual HRESULT Seek(LONGLONG dlibMove, DWORD dwOrigin, ULONGLONG* plibNewPosition) = 0;
    virtual HRESULT SetSize(ULONGLONG libNewSize) = 0;
    virtual HRESULT CopyTo(IStream* pstm, ULONGLONG cb, ULONGLONG* pcbRead,
                           ULONGLONG* pcbWritten) = 0;
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT LockRegion(ULONGLONG libOffset, ULONGLONG cb, DWORD dwLockType) = 0;
    virtual HRESULT UnlockRegion(ULONGLONG libOffset, ULONGLONG cb, DWORD dwLockType) = 0;
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
    virtual HRESULT Clone(IStream** ppstm) = 0;

protected:
    ~IStream() = default;
};
template <> inline constexpr IID iidOf<IStream> = IID_IStream;
template <> struct InterfaceParent<IStream> {
    using type = ISequentialStream;
};

// A stream over bytes shared with its creator: writes land in *bytes (replacing from the
// position on), so a browser can keep one buffer per folder. The stream starts at 0; opened
// for writing it starts empty. A stream grows to at most kMaxMemoryStreamBytes.
inline constexpr std::size_t kMaxMemoryStreamBytes = 1 << 20;
HRESULT createMemoryStream(std::shared_ptr<std::vector<BYTE>> bytes, DWORD grfMode,
                           IStream** stream);
