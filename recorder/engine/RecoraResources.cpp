#include "recorder/engine/RecoraResources.h"

#include "recorder/engine/RecoraArtwork.h"

namespace recora {

namespace {

struct BuiltinString {
    unsigned id;
    const char* text;
};

constexpr BuiltinString kStrings[] = {
    {kStringProgram, "Recora"},
    {kStringRecording, "Recording"},
    {kStringStopped, "Stopped"},
    {kStringError, "Error"},
    {kStringCreateFailed, "Create sequence failed"},
};

// The status fonts: the program's own face at cell height 10, the resource library's at 15.
constexpr const char* kBuiltinFace = "MS Sans Serif";
constexpr int kBuiltinHeight = 10;
constexpr const char* kExternalFace = "MS P Gothic";
constexpr int kExternalHeight = 15;

QPixmap pixmapFrom(const std::optional<std::string>& png)
{
    QPixmap pixmap;
    if (png)
        pixmap.loadFromData(reinterpret_cast<const uchar*>(png->data()),
                            static_cast<uint>(png->size()), "PNG");
    return pixmap;
}

} // namespace

bool RecoraResources::loadLibrary(const std::string& path)
{
    return m_library.load(path, kResourceTableSymbol);
}

std::optional<std::string> RecoraResources::external(const char* type, unsigned id) const
{
    if (const auto found = m_library.find(type, id))
        return std::string(*found);
    return std::nullopt;
}

std::string RecoraResources::string(unsigned id) const
{
    if (auto text = external("STRING", id))
        return *text;
    for (const BuiltinString& s : kStrings)
        if (s.id == id)
            return s.text;
    return {};
}

QPixmap RecoraResources::bitmap(unsigned id) const
{
    QPixmap pixmap = pixmapFrom(external("BITMAP", id));
    if (!pixmap.isNull())
        return pixmap;
    switch (id) {
    case kBitmapLampLit:
        return QPixmap::fromImage(drawButtonFace(ButtonFace::LampLit));
    case kBitmapPressed:
        return QPixmap::fromImage(drawButtonFace(ButtonFace::Pressed));
    case kBitmapLampDark:
        return QPixmap::fromImage(drawButtonFace(ButtonFace::LampDark));
    default:
        return {};
    }
}

QIcon RecoraResources::windowIcon() const
{
    QPixmap external = pixmapFrom(this->external("ICON", kIconWindow));
    if (!external.isNull())
        return QIcon(external);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(drawWindowIcon(32)));
    icon.addPixmap(QPixmap::fromImage(drawWindowIcon(16)));
    return icon;
}

QFont RecoraResources::statusFont() const
{
    QFont font;
    // The faces are asked for by name; where they are not installed the sans-serif fallback
    // takes their height.
    font.setFamilies({isExternal() ? kExternalFace : kBuiltinFace, "DejaVu Sans", "sans-serif"});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(isExternal() ? kExternalHeight : kBuiltinHeight);
    font.setWeight(QFont::Normal);
    // Bitmap faces once: crisp pixels, no smoothing into the shadow.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

RecoraResources& resources()
{
    // Never destroyed: read by the client's threads until the process ends.
    static auto* instance = new RecoraResources;
    return *instance;
}

} // namespace recora
