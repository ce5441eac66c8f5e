#include "viewer/app/VistelStrings.h"

#include "platform/base/ResourceLibrary.h"

#include <QStringList>

namespace vistel {

namespace {
struct StringEntry {
    unsigned id;
    const char* text;
};

constexpr StringEntry kStrings[] = {
    {kStringOleInitFailed,
     "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
    {kStringDocTemplate, "Sequence Viewer\n\nVistel\n\n\nVistel.Document\nVistel Document"},
    {kStringAviFile, "AVI file"},
    {kStringCreateAviFailed, "Create AVI failed"},
    {kStringCreatingAvi, "Creating AVI..."},
    {kCommandPlay, "Play\nPlay"},
    {kCommandStop, "Stop\nStop"},
    {kCommandPause, "Pause\nPause"},
    {kCommandAbout, "Display program information, version number and copyright\nAbout"},
    {kCommandExit, "Quit the application\nExit"},
    {kStringAppName, "Vistel"},
};

ResourceLibrary& resourceLibrary()
{
    static ResourceLibrary library; // the program's own: lives until exit
    return library;
}

} // namespace

bool loadResourceLibrary(const std::string& folder)
{
    return resourceLibrary().load(folder + "/VistelRes.so", "VistelResources");
}

QString loadString(unsigned id)
{
    if (auto text = resourceLibrary().find("STRING", id))
        return QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size()));
    for (const StringEntry& e : kStrings) {
        if (e.id == id)
            return QString::fromUtf8(e.text);
    }
    return {};
}

QString loadStringPart(unsigned id, int index)
{
    const QStringList parts = loadString(id).split(QLatin1Char('\n'));
    return index >= 0 && index < parts.size() ? parts.at(index) : QString();
}

} // namespace vistel
