#include "namespace/album/AlbumFiles.h"

#include "namespace/album/AlbumListing.h"
#include "recorder/sequence/SequenceReader.h"

#include <unistd.h>

namespace foldra {
namespace {

bool removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

// A frame path the sequence may take with it: folder + "/" + a plain name.
bool isPlainMember(std::string_view folder, std::string_view framePath)
{
    if (framePath.size() <= folder.size() + 1 || framePath.substr(0, folder.size()) != folder ||
        framePath[folder.size()] != '/')
        return false;
    const std::string_view name = framePath.substr(folder.size() + 1);
    return name.find('/') == std::string_view::npos && name != "." && name != "..";
}

std::size_t deleteSequence(const std::string& path)
{
    std::size_t deleted = 0;
    const SequenceContents contents = readSequence(path);
    // A damaged or hostile list still gives up the entries read before the damage.
    if (contents.status != SequenceStatus::NotSequence &&
        contents.status != SequenceStatus::OpenFailed) {
        const std::string_view folder = sequenceFolder(path);
        for (const std::string& frame : contents.framePaths)
            if (isPlainMember(folder, frame) && isImageFile(frame) && removeFile(frame))
                ++deleted;
    }
    if (removeFile(path))
        ++deleted;
    return deleted;
}

} // namespace

std::size_t deleteAlbumFiles(const std::vector<std::string>& paths)
{
    std::size_t deleted = 0;
    for (const std::string& path : paths) {
        if (isSequenceFile(path))
            deleted += deleteSequence(path);
        else if (isImageFile(path) && removeFile(path))
            ++deleted;
    }
    return deleted;
}

bool splitSequence(const std::string& sequencePath)
{
    return isSequenceFile(sequencePath) && removeFile(sequencePath);
}

} // namespace foldra
