#pragma once
// Byte streams with the Windows interfaces and slot order, and a stream in memory (what a
// stream on global memory was): persistence writes into it and reads it back.

#include "platform/com/UnknownImpl.h"

struct ISequentialStream : IUnknown {
    // Reads up to cb bytes; *pcbRead (may be null) gets the count. S_OK, also at the end
    // (with a short count); E_POINTER for a null buffer.
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    // Writes all cb bytes or fails: S_OK; E_POINTER, E_OUTOFMEMORY, STG_E_MEDIUMFULL.
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

protected:
    ~ISequentialStream() = default;
};

enum STREAM_SEEK : DWORD {
    STREAM_SEEK_SET = 0,
    STREAM_SEEK_CUR = 1,
    STREAM_SEEK_END = 2,
};

enum STGTY : DWORD {
    STGTY_STORAGE = 1,
    STGTY_STREAM = 2,
};

// Stat's flag: leave pwcsName null.
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;

struct STATSTG {
    LPOLESTR pwcsName; // task memory, freed by the caller; null with STATFLAG_NONAME
    DWORD type;        // STGTY
    ULONGLONG cbSize;
    // Times, modes and class as on Windows; the suite's streams leave them zero.
    ULONGLONG mtime;
    ULONGLONG ctime;
    ULONGLONG atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};

struct IStream : ISequentialStream {
    // dlibMove from the origin; *plibNewPosition (may be null) gets the new position.
    // STG_E_INVALIDFUNCTION for a position before the start.
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

constexpr IID IID_ISequentialStream = makeGuid("{0C733A30-2A1C-11CE-ADE5-00AA0044773D}");
constexpr IID IID_IStream = makeGuid("{0000000C-0000-0000-C000-000000000046}");
template <> inline constexpr IID iidOf<ISequentialStream> = IID_ISequentialStream;
template <> inline constexpr IID iidOf<IStream> = IID_IStream;
template <> struct InterfaceParent<IStream> {
    using type = ISequentialStream;
};

// Largest stream in memory; writes beyond it fail with STG_E_MEDIUMFULL, so a runaway writer
// cannot take the process's memory.
inline constexpr ULONGLONG kMaxMemoryStreamBytes = 64ull * 1024 * 1024;

// A new, empty stream in memory at position 0. The memory arguments of the Windows call are
// not supported: hGlobal must be null (E_INVALIDARG otherwise); the stream always owns its
// bytes. E_POINTER for a null ppstm, E_OUTOFMEMORY.
HRESULT CreateStreamOnHGlobal(void* hGlobal, BOOL fDeleteOnRelease, IStream** ppstm);
