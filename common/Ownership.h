#pragma once
// Ownership rules for everything that crosses an interface of the suite. They hold for every
// interface declared in common/ and for every implementation of one; a method's own contract
// only states where it differs (none does today).
//
// Interface references
// - A method that returns an interface through an out-parameter (T** ppOut) hands the caller
//   one reference, which the caller releases (ComPtr::put / ComPtr::attach adopt it).
// - An interface passed in (T* p) is borrowed for the call; a callee that keeps it takes its own
//   reference (AddRef, or a ComPtr copy) before returning.
// - On failure an interface out-parameter is set to null whenever the pointer itself is valid.
//
// BSTR
// - [in] BSTR: owned by the caller, valid only during the call; a callee that keeps the text
//   copies it. A null BSTR is a valid empty string (length 0) everywhere.
// - [out] BSTR* pbstr: the caller passes a pointer to null or to a valid BSTR it owns; the callee
//   replaces it with SysReAllocString (which frees the previous string), never by assigning a
//   fresh SysAllocString over it. Afterwards the caller owns *pbstr and frees it with
//   SysFreeString (the Bstr class does both: pass bstr.out()).
// - A BSTR inside a VARIANT belongs to the VARIANT: VariantClear frees it.
//
// Task memory
// - Blocks and string arrays returned through interfaces (byte blocks of GetData/GetDIB,
//   capability lists, strings from StringFromCLSID/ProgIDFromCLSID) are allocated with
//   CoTaskMemAlloc by the callee and freed with CoTaskMemFree by the caller, in any module: the
//   task allocator is the same in every shared library of the process. Strings inside an array
//   that is itself task memory are task memory too and are freed first.
// - On failure such an out-parameter is null and nothing is owed.
//
// Out-parameters in general
// - A null out-pointer is refused with E_POINTER (E_INVALIDARG for the runtime calls that
//   Windows defines so, e.g. CoCreateInstance) and never written through.
// - Scalar out-parameters are written only on success unless a contract says otherwise.
//
// Objects shared between deliverables
// - The camera client owns the data object it creates per DataAdvise and refills it for every
//   part; consumers get it through QueryDataObject and hold their own reference if they keep it.
// - Sinks are held by the source from Advise until Unadvise, and additionally for the duration of
//   each call made to them, so a sink may Unadvise itself while being called.
