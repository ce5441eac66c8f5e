// CamImage as an object: registration, identities, properties, persistence by name through a
// property bag, a stream and a storage, object safety. No camera is needed.

#include "common/IObjectSafety.h"
#include "common/PictraClasses.h"
#include "control/Registration.h"
#include "control/tests/ControlHost.h"
#include "platform/base/Utf.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Persist.h"
#include "platform/com/PropertyStream.h"
#include "platform/com/Runtime.h"
#include "platform/registry/RegistryKey.h"

namespace pictra::test {
namespace {

using namespace std::chrono_literals;

class CamImageObjectTest : public ControlHostFixture {};

std::string classValue(const std::string& subkey)
{
    RegistryKey key;
    if (!key.open(HKEY_CLASSES_ROOT, "CLSID\\" + guidToString(CLSID_CamImage) + subkey))
        return "(missing)";
    return key.text(nullptr);
}

TEST_F(CamImageObjectTest, RegistersAsAnEmbeddableControl)
{
    EXPECT_EQ(classValue(""), "CamImage Class");
    EXPECT_NE(classValue("\\InprocServer32").find("Pictra.so"), std::string::npos);
    EXPECT_EQ(classValue("\\Control"), "");
    EXPECT_EQ(classValue("\\Programmable"), "");
    EXPECT_EQ(classValue("\\Insertable"), "");
    EXPECT_NE(classValue("\\ToolboxBitmap32").find("Pictra.so, 1"), std::string::npos);
    EXPECT_EQ(classValue("\\MiscStatus"), "0");
    EXPECT_EQ(classValue("\\MiscStatus\\1"), "131473");
    EXPECT_EQ(classValue("\\ProgID"), "CamImage.CamImage.1");
    EXPECT_EQ(classValue("\\VersionIndependentProgID"), "CamImage.CamImage");
    CLSID byProgId{};
    ASSERT_EQ(CLSIDFromProgID(u"CamImage.CamImage", &byProgId), S_OK);
    EXPECT_EQ(byProgId, CLSID_CamImage);

    ASSERT_EQ(registerServerLibrary(classValue("\\InprocServer32"), true), S_OK);
    EXPECT_EQ(classValue(""), "(missing)");
    EXPECT_EQ(CLSIDFromProgID(u"CamImage.CamImage", &byProgId), REGDB_E_CLASSNOTREG);
}

TEST_F(CamImageObjectTest, AnswersItsInterfacesAndIsSafeForScripting)
{
    host(Options());
    ComPtr<IOleObject> object = site()->controlAs<IOleObject>();
    ASSERT_TRUE(object);
    DWORD misc = 0;
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc, 131473u);
    ComPtr<IObjectSafety> safety = site()->controlAs<IObjectSafety>();
    ASSERT_TRUE(safety);
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 3u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, 3, 0), S_OK);
    ComPtr<IConnectionPointContainer> points = site()->controlAs<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> events;
    ASSERT_TRUE(points);
    EXPECT_EQ(points->FindConnectionPoint(DIID__DCamImageEvents, events.put()), S_OK);

    // Through IDispatch, by the names and ids of the interface.
    ComPtr<IDispatch> dispatch = site()->controlAs<IDispatch>();
    ASSERT_TRUE(dispatch);
    LPOLESTR name = const_cast<LPOLESTR>(u"PTZControlURL");
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 9);
}

TEST_F(CamImageObjectTest, PanTiltNamesAreOneValueAndEmptyAudioAddressesKeepTheOld)
{
    host(Options("http://127.0.0.5:8080/index.html").design());
    EXPECT_EQ(control()->put_PTZControlURL(Text("/orvel-cgi/com/ptz.cgi?center=")), S_OK);
    EXPECT_EQ(textProperty(control(), &IOrvelCamControl::get_image_pan_tilt),
              "http://127.0.0.5:8080/orvel-cgi/com/ptz.cgi?center=");
    EXPECT_EQ(control()->put_image_pan_tilt(Text("https://cam/ptz.cgi?c=")), S_OK);
    EXPECT_EQ(textProperty(control(), &IOrvelCamControl::get_PTZControlURL),
              "https://cam/ptz.cgi?c=");
    EXPECT_EQ(control()->put_PTZControlURL(nullptr), S_OK);
    EXPECT_EQ(textProperty(control(), &IOrvelCamControl::get_image_pan_tilt), "");

    EXPECT_EQ(control()->put_SoundURL(Text("/orvel-cgi/audio/receive.cgi")), S_OK);
    EXPECT_EQ(control()->put_SoundURL(Text("")), S_OK);
    EXPECT_EQ(control()->put_SoundURL(nullptr), S_OK);
    EXPECT_EQ(textProperty(control(), &IOrvelCamControl::get_SoundURL),
              "http://127.0.0.5:8080/orvel-cgi/audio/receive.cgi");
    EXPECT_EQ(control()->put_RecordSoundURL(Text("/post")), S_OK);
    EXPECT_EQ(control()->put_RecordSoundURL(Text("")), S_OK);
    EXPECT_EQ(textProperty(control(), &IOrvelCamControl::get_RecordSoundURL),
              "http://127.0.0.5:8080/post");
}

// Sets every persistent property to something recognisable.
void fill(IOrvelCamControl* control)
{
    ASSERT_EQ(control->put_URL(Text("/orvel-cgi/mjpg/video.cgi?resolution=320x240")), S_OK);
    ASSERT_EQ(control->put_image_pan_tilt(Text("http://cam/ptz.cgi?center=")), S_OK);
    ASSERT_EQ(control->put_Stretch(1), S_OK);
    ASSERT_EQ(control->put_SoundURL(Text("http://cam/sound")), S_OK);
    ASSERT_EQ(control->put_RecordSoundURL(Text("http://cam/post")), S_OK);
    ASSERT_EQ(control->put_AudioParameterURL(Text("http://cam/param")), S_OK);
    ASSERT_EQ(control->put_DisplaySoundPanel(1), S_OK);
}

void expectFilled(IOrvelCamControl* control)
{
    EXPECT_EQ(textProperty(control, &IOrvelCamControl::get_URL),
              "/orvel-cgi/mjpg/video.cgi?resolution=320x240");
    EXPECT_EQ(textProperty(control, &IOrvelCamControl::get_image_pan_tilt),
              "http://cam/ptz.cgi?center=");
    EXPECT_EQ(textProperty(control, &IOrvelCamControl::get_SoundURL), "http://cam/sound");
    EXPECT_EQ(textProperty(control, &IOrvelCamControl::get_RecordSoundURL), "http://cam/post");
    EXPECT_EQ(textProperty(control, &IOrvelCamControl::get_AudioParameterURL), "http://cam/param");
    LONG stretch = 0, panel = 0;
    EXPECT_EQ(control->get_Stretch(&stretch), S_OK);
    EXPECT_EQ(control->get_DisplaySoundPanel(&panel), S_OK);
    EXPECT_EQ(stretch, 1);
    EXPECT_EQ(panel, 1);
}

ComPtr<IOrvelCamControl> createFree()
{
    ComPtr<IOrvelCamControl> control;
    EXPECT_EQ(CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_INPROC_SERVER, IID_IOrvelCamControl,
                               control.putVoid()),
              S_OK);
    return control;
}

TEST_F(CamImageObjectTest, SavesAndLoadsByNameInABagAStreamAndAStorage)
{
    ComPtr<IOrvelCamControl> original = createFree();
    ASSERT_TRUE(original);
    fill(original.get());
    EXPECT_EQ(original.as<IPersistStreamInit>()->IsDirty(), S_OK);

    // Property bag: every property by its name, in the order of the interface.
    ComPtr<MemoryPropertyBag> bag =
        ComPtr<MemoryPropertyBag>::attach(MemoryPropertyBag::createRaw());
    ASSERT_EQ(original.as<IPersistPropertyBag>()->Save(bag.get(), TRUE, TRUE), S_OK);
    std::vector<std::string> names;
    for (const auto& entry : bag->entries())
        names.push_back(utf16ToUtf8(entry.first));
    EXPECT_EQ(names, (std::vector<std::string>{"URL", "PTZControlURL", "image_pan_tilt", "Stretch",
                                               "SoundURL", "RecordSoundURL", "AudioParameterURL",
                                               "DisplaySoundPanel"}));
    EXPECT_EQ(original.as<IPersistStreamInit>()->IsDirty(), S_FALSE);
    ComPtr<IOrvelCamControl> fromBag = createFree();
    ASSERT_EQ(fromBag.as<IPersistPropertyBag>()->Load(bag.get(), nullptr), S_OK);
    expectFilled(fromBag.get());

    // Stream.
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ASSERT_EQ(original.as<IPersistStreamInit>()->Save(stream.get(), TRUE), S_OK);
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    ComPtr<IOrvelCamControl> fromStream = createFree();
    ASSERT_EQ(fromStream.as<IPersistStreamInit>()->Load(stream.get()), S_OK);
    expectFilled(fromStream.get());

    // Storage: the stream "Contents".
    ComPtr<IStorage> storage;
    ASSERT_EQ(createMemoryStorage(storage.put()), S_OK);
    ASSERT_EQ(original.as<IPersistStorage>()->Save(storage.get(), FALSE), S_OK);
    ComPtr<IStream> contents;
    EXPECT_EQ(storage->OpenStream(u"Contents", nullptr, STGM_READ, 0, contents.put()), S_OK);
    ComPtr<IOrvelCamControl> fromStorage = createFree();
    ASSERT_EQ(fromStorage.as<IPersistStorage>()->Load(storage.get()), S_OK);
    expectFilled(fromStorage.get());
}

TEST_F(CamImageObjectTest, RefusesAForeignOrCutStreamAndKeepsItsProperties)
{
    ComPtr<IOrvelCamControl> control = createFree();
    ASSERT_TRUE(control);
    fill(control.get());
    ComPtr<IStream> good;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, good.put()), S_OK);
    ASSERT_EQ(control.as<IPersistStreamInit>()->Save(good.get(), FALSE), S_OK);
    STATSTG stat{};
    ASSERT_EQ(good->Stat(&stat, STATFLAG_NONAME), S_OK);

    // The same bytes cut short, and bytes of something else.
    std::vector<BYTE> bytes(stat.cbSize);
    ASSERT_EQ(good->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(good->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr), S_OK);
    for (std::size_t keep : {bytes.size() - 3, std::size_t{6}, std::size_t{0}}) {
        ComPtr<IStream> cut;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, cut.put()), S_OK);
        ASSERT_EQ(cut->Write(bytes.data(), static_cast<ULONG>(keep), nullptr), S_OK);
        ASSERT_EQ(cut->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
        EXPECT_EQ(control.as<IPersistStreamInit>()->Load(cut.get()), E_FAIL) << keep;
    }
    ComPtr<IStream> foreign;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, foreign.put()), S_OK);
    const char junk[] = "<html>not a control</html>";
    ASSERT_EQ(foreign->Write(junk, sizeof junk, nullptr), S_OK);
    ASSERT_EQ(foreign->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(control.as<IPersistStreamInit>()->Load(foreign.get()), E_FAIL);
    expectFilled(control.get());

    ComPtr<IStorage> empty;
    ASSERT_EQ(createMemoryStorage(empty.put()), S_OK);
    EXPECT_EQ(control.as<IPersistStorage>()->Load(empty.get()), STG_E_FILENOTFOUND);
}

} // namespace
} // namespace pictra::test
