#pragma once
// The folder side of a namespace extension: the folder, its persistence, and its item
// enumerator, in the slot order of the desktop shell's declarations. Called on the browser's
// user-interface thread.

#include "platform/com/UnknownImpl.h"
#include "platform/shell/ItemIdList.h"

struct IBindCtx; // never passed by this platform's browser; always null

inline constexpr IID IID_IPersist = makeGuid("{0000010C-0000-0000-C000-000000000046}");
inline constexpr IID IID_IPersistFolder = makeGuid("{000214EA-0000-0000-C000-000000000046}");
inline constexpr IID IID_IEnumIDList = makeGuid("{000214F2-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellFolder = makeGuid("{000214E6-0000-0000-C000-000000000046}");

// EnumObjects flags
inline constexpr DWORD SHCONTF_FOLDERS = 0x20;
inline constexpr DWORD SHCONTF_NONFOLDERS = 0x40;

// GetAttributesOf bits
inline constexpr ULONG SFGAO_CANCOPY = 0x1;
inline constexpr ULONG SFGAO_CANLINK = 0x4;
inline constexpr ULONG SFGAO_CANRENAME = 0x10;
inline constexpr ULONG SFGAO_CANDELETE = 0x20;
inline constexpr ULONG SFGAO_HASPROPSHEET = 0x40;
inline constexpr ULONG SFGAO_FOLDER = 0x20000000;
inline constexpr ULONG SFGAO_HASSUBFOLDER = 0x80000000;

// GetDisplayNameOf flags: the low byte asks for a name relative to the folder.
inline constexpr DWORD SHGDN_NORMAL = 0;
inline constexpr DWORD SHGDN_INFOLDER = 1;
inline constexpr DWORD SHGDN_FORPARSING = 0x8000;

inline constexpr UINT STRRET_WSTR = 0;
inline constexpr UINT STRRET_OFFSET = 1;
inline constexpr UINT STRRET_CSTR = 2;

struct STRRET {
    UINT uType;
    union {
        LPOLESTR pOleStr; // STRRET_WSTR: task memory, freed by the receiver
        UINT uOffset;     // STRRET_OFFSET: into the item
        char cStr[260];   // STRRET_CSTR
    };
};

// The text of a STRRET as UTF-8; frees a wide string. item is needed for STRRET_OFFSET.
std::string strRetToUtf8(STRRET* strret, LPCITEMIDLIST item);

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* pClassID) = 0;

protected:
    ~IPersist() = default;
};
template <> inline constexpr IID iidOf<IPersist> = IID_IPersist;

struct IPersistFolder : IPersist {
    // The folder's absolute list; the folder keeps its own copy.
    virtual HRESULT Initialize(LPCITEMIDLIST pidl) = 0;

protected:
    ~IPersistFolder() = default;
};
template <> inline constexpr IID iidOf<IPersistFolder> = IID_IPersistFolder;
template <> struct InterfaceParent<IPersistFolder> {
    using type = IPersist;
};

struct IEnumIDList : IUnknown {
    // Hands out copies the caller frees. S_FALSE at the end.
    virtual HRESULT Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumIDList** ppenum) = 0;

protected:
    ~IEnumIDList() = default;
};
template <> inline constexpr IID iidOf<IEnumIDList> = IID_IEnumIDList;

struct IShellFolder : IUnknown {
    virtual HRESULT ParseDisplayName(HWND hwnd, IBindCtx* pbc, LPOLESTR pszDisplayName,
                                     ULONG* pchEaten, LPITEMIDLIST* ppidl,
                                     ULONG* pdwAttributes) = 0;
    virtual HRESULT EnumObjects(HWND hwnd, DWORD grfFlags, IEnumIDList** ppenumIDList) = 0;
    // pidl: relative to this folder.
    virtual HRESULT BindToObject(LPCITEMIDLIST pidl, IBindCtx* pbc, REFIID riid, void** ppv) = 0;
    virtual HRESULT BindToStorage(LPCITEMIDLIST pidl, IBindCtx* pbc, REFIID riid, void** ppv) = 0;
    // The comparison (-1, 0, +1) in the low 16 bits of a success code.
    virtual HRESULT CompareIDs(LPARAM lParam, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2) = 0;
    virtual HRESULT CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) = 0;
    virtual HRESULT GetAttributesOf(UINT cidl, const LPCITEMIDLIST* apidl, ULONG* rgfInOut) = 0;
    virtual HRESULT GetUIObjectOf(HWND hwndOwner, UINT cidl, const LPCITEMIDLIST* apidl,
                                  REFIID riid, UINT* rgfReserved, void** ppv) = 0;
    virtual HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD uFlags, STRRET* pName) = 0;
    virtual HRESULT SetNameOf(HWND hwnd, LPCITEMIDLIST pidl, LPCOLESTR pszName, DWORD uFlags,
                              LPITEMIDLIST* ppidlOut) = 0;

protected:
    ~IShellFolder() = default;
};
template <> inline constexpr IID iidOf<IShellFolder> = IID_IShellFolder;

// The comparison result of CompareIDs.
constexpr HRESULT compareResult(int order)
{
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<unsigned short>(order));
}
constexpr short compareOrder(HRESULT hr)
{
    return static_cast<short>(HRESULT_CODE(hr));
}
