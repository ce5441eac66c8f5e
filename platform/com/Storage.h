#pragma once
// Structured storage with the Windows interface and slot order, and a storage in memory that
// holds named streams: what a container hands an object to save itself into. Sub-storages
// are not kept (STG_E_INVALIDFUNCTION).

#include "platform/com/Stream.h"

struct IEnumSTATSTG;

using SNB = LPOLESTR*;

// grfMode bits the suite passes; the memory storage accepts any.
constexpr DWORD STGM_READ = 0x00000000;
constexpr DWORD STGM_WRITE = 0x00000001;
constexpr DWORD STGM_READWRITE = 0x00000002;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
constexpr DWORD STGM_CREATE = 0x00001000;

struct IStorage : IUnknown {
    // STG_E_FILEALREADYEXISTS when the name exists and STGM_CREATE is not given; with it the
    // stream is emptied. STG_E_INVALIDNAME for an empty or over-long name.
    virtual HRESULT CreateStream(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1,
                                 DWORD reserved2, IStream** ppstm) = 0;
    // The stream at position 0; STG_E_FILENOTFOUND when it does not exist.
    virtual HRESULT OpenStream(const OLECHAR* pwcsName, void* reserved1, DWORD grfMode,
                               DWORD reserved2, IStream** ppstm) = 0;
    virtual HRESULT CreateStorage(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1,
                                  DWORD reserved2, IStorage** ppstg) = 0;
    virtual HRESULT OpenStorage(const OLECHAR* pwcsName, IStorage* pstgPriority, DWORD grfMode,
                                SNB snbExclude, DWORD reserved, IStorage** ppstg) = 0;
    virtual HRESULT CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude,
                           IStorage* pstgDest) = 0;
    virtual HRESULT MoveElementTo(const OLECHAR* pwcsName, IStorage* pstgDest,
                                  const OLECHAR* pwcsNewName, DWORD grfFlags) = 0;
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                                 IEnumSTATSTG** ppenum) = 0;
    virtual HRESULT DestroyElement(const OLECHAR* pwcsName) = 0;
    virtual HRESULT RenameElement(const OLECHAR* pwcsOldName, const OLECHAR* pwcsNewName) = 0;
    virtual HRESULT SetElementTimes(const OLECHAR* pwcsName, const void* pctime, const void* patime,
                                    const void* pmtime) = 0;
    virtual HRESULT SetClass(REFCLSID clsid) = 0;
    virtual HRESULT SetStateBits(DWORD grfStateBits, DWORD grfMask) = 0;
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;

protected:
    ~IStorage() = default;
};

constexpr IID IID_IStorage = makeGuid("{0000000B-0000-0000-C000-000000000046}");
template <> inline constexpr IID iidOf<IStorage> = IID_IStorage;

// Longest element name, in code units, as in a compound file.
inline constexpr std::size_t kMaxStorageNameLength = 31;

// A new, empty storage in memory. E_POINTER, E_OUTOFMEMORY.
HRESULT createMemoryStorage(IStorage** ppstg);
