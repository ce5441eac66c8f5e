// VARIANT conversions and the table-driven IDispatch, through the suite's real dual interfaces.

#include "platform/com/Dispatch.h"

#include "common/FoldraClasses.h"
#include "common/ICamFolder.h"
#include "common/ICamRecord.h"
#include "common/IOrvelCamControl.h"
#include "common/IVistel.h"
#include "common/PictraClasses.h"
#include "common/RecoraClasses.h"
#include "common/VistelClasses.h"
#include "platform/com/ComPtr.h"

#include <gtest/gtest.h>

namespace {

class Recorder final : public UnknownImpl<Recorder, DualImpl<ICamRecord>> {
public:
    HRESULT Start(BSTR dir, BSTR prefix, LONG elapse, DWORD duration, DWORD maxSize) override
    {
        if (!dir || !prefix)
            return E_INVALIDARG;
        m_log = Bstr(dir).utf8() + "|" + Bstr(prefix).utf8() + "|" + std::to_string(elapse) + "|" +
                std::to_string(duration) + "|" + std::to_string(maxSize);
        return m_url.empty() ? S_FALSE : S_OK;
    }
    HRESULT Stop() override { return E_NOTIMPL; }
    HRESULT Init(BSTR url, BSTR) override
    {
        m_url = bstrToUtf8(url);
        return S_OK;
    }
    std::string m_log;
    std::string m_url;
};

class Control final : public UnknownImpl<Control, DualImpl<IOrvelCamControl>> {
public:
    HRESULT get_URL(BSTR* p) override { return copyOut(m_url, p); }
    HRESULT put_URL(BSTR v) override { return assign(&m_url, v); }
    HRESULT get_image_pan_tilt(BSTR* p) override { return copyOut(m_ptz, p); }
    HRESULT put_image_pan_tilt(BSTR v) override { return assign(&m_ptz, v); }
    HRESULT get_Stretch(LONG* p) override { return *p = m_stretch, S_OK; }
    HRESULT put_Stretch(LONG v) override { return m_stretch = v, S_OK; }
    HRESULT StopDownload() override { return ++m_stops, S_OK; }
    HRESULT get_PTZControlURL(BSTR* p) override { return copyOut(m_ptz, p); }
    HRESULT put_PTZControlURL(BSTR v) override { return assign(&m_ptz, v); }
    HRESULT StartDownload() override { return S_OK; }
    HRESULT get_SoundURL(BSTR* p) override { return copyOut(m_url, p); }
    HRESULT put_SoundURL(BSTR) override { return S_OK; }
    HRESULT get_RecordSoundURL(BSTR* p) override { return copyOut(m_url, p); }
    HRESULT put_RecordSoundURL(BSTR) override { return S_OK; }
    HRESULT get_AudioParameterURL(BSTR* p) override { return copyOut(m_url, p); }
    HRESULT put_AudioParameterURL(BSTR) override { return S_OK; }
    HRESULT get_DisplaySoundPanel(LONG* p) override { return *p = 0, S_OK; }
    HRESULT put_DisplaySoundPanel(LONG) override { return S_OK; }

    int m_stops = 0;

private:
    static HRESULT copyOut(const std::string& s, BSTR* p)
    {
        return bstrAssignUtf8(p, s) ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT assign(std::string* s, BSTR v)
    {
        *s = bstrToUtf8(v);
        return S_OK;
    }
    std::string m_url, m_ptz;
    LONG m_stretch = 0;
};

template <typename T> ComPtr<T> make()
{
    ComPtr<T> p = ComPtr<T>::attach(T::createRaw());
    return p;
}

DISPID idOf(IDispatch* d, const char16_t* name)
{
    auto* n = const_cast<LPOLESTR>(name);
    DISPID id = 0;
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    return id;
}

TEST(Variant, ConvertsBetweenTheSuitesTypes)
{
    Variant v = Variant::fromUtf8(" 42 ");
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_I4), S_OK);
    EXPECT_EQ(v.type(), VT_I4);
    EXPECT_EQ(v.get()->lVal, 42);

    Variant neg = Variant::fromI4(-1);
    Variant out;
    EXPECT_EQ(VariantChangeType(out.get(), neg.get(), 0, VT_UI4), DISP_E_OVERFLOW);
    EXPECT_EQ(VariantChangeType(out.get(), neg.get(), 0, VT_BOOL), S_OK);
    EXPECT_EQ(out.get()->boolVal, VARIANT_TRUE);
    EXPECT_EQ(VariantChangeType(out.get(), neg.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(bstrToUtf8(out.get()->bstrVal), "-1");

    Variant big = Variant::fromUI4(0x80000000u);
    EXPECT_EQ(VariantChangeType(out.get(), big.get(), 0, VT_I4), DISP_E_OVERFLOW);
    Variant text = Variant::fromUtf8("twelve");
    EXPECT_EQ(VariantChangeType(out.get(), text.get(), 0, VT_I4), DISP_E_TYPEMISMATCH);
    Variant yes = Variant::fromUtf8("True");
    EXPECT_EQ(VariantChangeType(out.get(), yes.get(), 0, VT_BOOL), S_OK);
    EXPECT_EQ(out.get()->boolVal, VARIANT_TRUE);
    Variant b = Variant::fromBool(false);
    EXPECT_EQ(VariantChangeType(out.get(), b.get(), VARIANT_ALPHABOOL, VT_BSTR), S_OK);
    EXPECT_EQ(bstrToUtf8(out.get()->bstrVal), "False");
    Variant empty;
    EXPECT_EQ(VariantChangeType(out.get(), empty.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(SysStringLen(out.get()->bstrVal), 0u);

    // By reference, as a script passes a variable.
    LONG value = 7;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &value;
    EXPECT_EQ(VariantChangeType(out.get(), &ref, 0, VT_UI4), S_OK);
    EXPECT_EQ(out.get()->ulVal, 7u);

    VARIANT bad;
    VariantInit(&bad);
    bad.vt = 0x7ff;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeType(out.get(), &bad, 0, VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeType(nullptr, &bad, 0, VT_I4), E_INVALIDARG);
}

TEST(Variant, CopyHoldsItsOwnReferenceAndString)
{
    auto object = make<Recorder>();
    Variant a = Variant::fromUnknown(object.get());
    {
        Variant b = a; // VariantCopy
        EXPECT_EQ(b.get()->punkVal, object.get());
        Variant c;
        EXPECT_EQ(VariantChangeType(c.get(), b.get(), 0, VT_DISPATCH), S_OK);
        EXPECT_NE(c.get()->pdispVal, nullptr);
    }
    a = Variant();
    // Only our reference is left: releasing it must be the last.
    EXPECT_EQ(object->AddRef(), 2u);
    object->Release();

    Variant s = Variant::fromUtf8("abc");
    Variant t = s;
    EXPECT_NE(t.get()->bstrVal, s.get()->bstrVal);
    EXPECT_EQ(bstrToUtf8(t.get()->bstrVal), "abc");
}

TEST(Dispatch, NamesAndIdsFollowTheInterfaceTables)
{
    auto rec = make<Recorder>();
    ComPtr<IDispatch> d = rec.as<IDispatch>();
    ASSERT_TRUE(d);
    EXPECT_EQ(idOf(d.get(), u"start"), 1);
    EXPECT_EQ(idOf(d.get(), u"Stop"), 2);
    EXPECT_EQ(idOf(d.get(), u"INIT"), 3);
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"Record")};
    DISPID id = 0;
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(d->GetIDsOfNames(IID_IUnknown, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
    UINT count = 9;
    EXPECT_EQ(d->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);

    auto ctl = make<Control>();
    ComPtr<IDispatch> c = ctl.as<IDispatch>();
    EXPECT_EQ(idOf(c.get(), u"URL"), 1);
    EXPECT_EQ(idOf(c.get(), u"PTZControlURL"), 9);
    EXPECT_EQ(idOf(c.get(), u"image_pan_tilt"), 2);
    EXPECT_EQ(idOf(c.get(), u"Stretch"), 3);
    EXPECT_EQ(idOf(c.get(), u"SoundURL"), 20);
    EXPECT_EQ(idOf(c.get(), u"DisplaySoundPanel"), 23);
    EXPECT_EQ(idOf(c.get(), u"StopDownload"), 7);
    EXPECT_EQ(idOf(c.get(), u"StartDownload"), 13);
}

TEST(Dispatch, InvokeConvertsArgumentsAndReturnsTheMethodsResult)
{
    auto rec = make<Recorder>();
    ComPtr<IDispatch> d = rec.as<IDispatch>();
    // Integers given as strings and a UI4 given as I4 convert as a script host would pass them.
    DispatchArgs args(Variant::fromUtf8("/tmp/rec"), Variant::fromUtf8("cam"),
                      Variant::fromUtf8("500"), Variant::fromI4(60), Variant::fromUI4(1u << 20));
    Variant result;
    UINT argErr = 99;
    EXPECT_EQ(
        d->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, args.get(), result.get(), nullptr, &argErr),
        S_FALSE); // no URL yet: the method's own answer comes back
    EXPECT_EQ(rec->m_log, "/tmp/rec|cam|500|60|1048576");

    DispatchArgs init(Variant::fromUtf8("http://cam/stream"), Variant::fromUtf8("Gate"));
    EXPECT_EQ(d->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, init.get(), nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(rec->m_url, "http://cam/stream");
    EXPECT_EQ(d->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_NOTIMPL);

    DispatchArgs wrongType(Variant::fromUtf8("/d"), Variant::fromUtf8("p"),
                           Variant::fromUtf8("fast"), Variant::fromI4(1), Variant::fromI4(1));
    EXPECT_EQ(
        d->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, wrongType.get(), nullptr, nullptr, &argErr),
        DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 2u); // lElapse, counted from the end as DISPPARAMS holds it
    DispatchArgs tooFew(Variant::fromUtf8("/d"));
    EXPECT_EQ(d->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, tooFew.get(), nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(d->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(d->Invoke(2, IID_IUnknown, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

TEST(Dispatch, PropertiesPutAndGetThroughInvoke)
{
    auto ctl = make<Control>();
    ComPtr<IDispatch> d = ctl.as<IDispatch>();
    Variant value = Variant::fromUtf8("/axis-cgi/com/ptz.cgi?");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{value.get(), &named, 1, 1};
    EXPECT_EQ(d->Invoke(9, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
              S_OK);
    // Two names for one string.
    Variant got;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(d->Invoke(2, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, got.get(),
                        nullptr, nullptr),
              S_OK);
    ASSERT_EQ(got.type(), VT_BSTR);
    EXPECT_EQ(bstrToUtf8(got.get()->bstrVal), "/axis-cgi/com/ptz.cgi?");

    Variant stretch = Variant::fromBool(true);
    DISPPARAMS putStretch{stretch.get(), &named, 1, 1};
    EXPECT_EQ(
        d->Invoke(3, IID_NULL, 0, DISPATCH_PROPERTYPUT, &putStretch, nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(d->Invoke(3, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, got.out(), nullptr, nullptr),
              S_OK);
    EXPECT_EQ(got.type(), VT_I4);
    EXPECT_EQ(got.get()->lVal, -1);
    // A method is not a property and the other way round.
    EXPECT_EQ(d->Invoke(7, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(d->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(ctl->m_stops, 1);
    EXPECT_EQ(d->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &put, nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
}

} // namespace
