#pragma once
// Data handed out of a folder (drags), in the desktop's slot order, with global memory blocks
// and registered clipboard formats.

#include "platform/com/UnknownImpl.h"

#include <string>

using CLIPFORMAT = WORD;
struct HGLOBAL__;
using HGLOBAL = HGLOBAL__*;

inline constexpr IID IID_IDataObject = makeGuid("{0000010E-0000-0000-C000-000000000046}");

inline constexpr DWORD TYMED_HGLOBAL = 1;
inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064);
inline constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069);
inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003);

inline constexpr const char* CFSTR_SHELLIDLIST = "Shell IDList Array";
inline constexpr const char* CFSTR_SHELLIDLISTOFFSET = "Shell Object Offsets";
inline constexpr const char* CFSTR_FILEDESCRIPTORA = "FileGroupDescriptor";
inline constexpr const char* CFSTR_FILECONTENTS = "FileContents";

struct FORMATETC {
    CLIPFORMAT cfFormat;
    void* ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
};

struct STGMEDIUM {
    DWORD tymed;
    HGLOBAL hGlobal;
    IUnknown* pUnkForRelease;
};

// The same number for the same name in the whole process (names compare case-insensitively).
CLIPFORMAT RegisterClipboardFormatA(const char* name);
std::string clipboardFormatName(CLIPFORMAT format);

// A movable block of memory that knows its size; GlobalLock gives its bytes.
HGLOBAL GlobalAllocBytes(std::size_t size);
std::size_t GlobalSize(HGLOBAL block);
void* GlobalLock(HGLOBAL block);
void GlobalUnlock(HGLOBAL block);
void GlobalFree(HGLOBAL block);
void ReleaseStgMedium(STGMEDIUM* medium);

struct IEnumFORMATETC;
struct IAdviseSink;
struct IEnumSTATDATA;

struct IDataObject : IUnknown {
    // The receiver owns the medium and frees it with ReleaseStgMedium.
    virtual HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) = 0;
    virtual HRESULT GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) = 0;
    virtual HRESULT QueryGetData(FORMATETC* pformatetc) = 0;
    virtual HRESULT GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) = 0;
    virtual HRESULT SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) = 0;
    virtual HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) = 0;
    virtual HRESULT DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                            DWORD* pdwConnection) = 0;
    virtual HRESULT DUnadvise(DWORD dwConnection) = 0;
    virtual HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) = 0;

protected:
    ~IDataObject() = default;
};
template <> inline constexpr IID iidOf<IDataObject> = IID_IDataObject;
