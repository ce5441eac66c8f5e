#include "namespace/album/AlbumListing.h"

#include "recorder/sequence/SequenceMembership.h"
#include "recorder/sequence/SequenceReader.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unordered_map>

namespace foldra {
namespace {

bool hasExtension(const std::string& path, const char* extension)
{
    const std::size_t length = 4;
    if (path.size() <= length)
        return false;
    return lowerCasePath(std::string_view(path).substr(path.size() - length)) == extension;
}

struct DirClose {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The regular files of the directory (symbolic links followed), by name.
std::vector<std::string> regularFiles(const std::string& directory)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirClose> dir(::opendir(directory.c_str()));
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || (!isSequenceFile(name) && !isImageFile(name)))
            continue;
        struct stat info {};
        if (::stat((directory + "/" + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        names.push_back(std::move(name));
        if (names.size() == kMaxAlbumFiles)
            break;
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string joinPath(const std::string& directory, const std::string& name)
{
    return directory == "/" ? "/" + name : directory + "/" + name;
}

} // namespace

bool isSequenceFile(const std::string& path)
{
    return hasExtension(path, ".sqj");
}

bool isImageFile(const std::string& path)
{
    return hasExtension(path, ".jpg");
}

std::string albumDirectory(std::string directory)
{
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    return directory;
}

AlbumListing listAlbum(const std::string& given)
{
    AlbumListing listing;
    const std::string directory = albumDirectory(given);
    struct stat info {};
    if (directory.empty() || ::stat(directory.c_str(), &info) != 0) {
        listing.state = AlbumState::Missing;
        return listing;
    }
    if (!S_ISDIR(info.st_mode)) {
        listing.state = AlbumState::NotDirectory;
        return listing;
    }
    listing.state = AlbumState::Listed;
    const std::vector<std::string> names = regularFiles(directory);

    // The images by lower-cased path: a sequence written elsewhere may name its frames in
    // another letter case than the files have here.
    std::unordered_map<std::string, std::string> imagesByLowerPath;
    for (const std::string& name : names)
        if (isImageFile(name)) {
            std::string path = joinPath(directory, name);
            imagesByLowerPath.emplace(lowerCasePath(path), path);
        }

    SequenceMembership owned;
    for (const std::string& name : names) {
        if (!isSequenceFile(name))
            continue;
        const std::string path = joinPath(directory, name);
        SequenceContents contents = readSequence(path);
        if (contents.status == SequenceStatus::NotSequence ||
            contents.status == SequenceStatus::OpenFailed || contents.header.frameCount == 0)
            continue;
        owned.add(contents);
        AlbumEntry entry{AlbumEntryKind::Sequence, name, path, {}};
        if (!contents.framePaths.empty()) {
            const std::string& first = contents.framePaths.front();
            auto found = imagesByLowerPath.find(lowerCasePath(first));
            entry.thumbnailSource = found != imagesByLowerPath.end() ? found->second : first;
        }
        listing.entries.push_back(std::move(entry));
    }
    std::size_t decoded = 0;
    for (const std::string& name : names) {
        if (!isImageFile(name))
            continue;
        const std::string path = joinPath(directory, name);
        if (owned.contains(path))
            continue;
        AlbumEntry entry{AlbumEntryKind::Image, name, path, {}};
        if (decoded < kMaxDecodedThumbnails) {
            entry.thumbnailSource = path;
            ++decoded;
        }
        listing.entries.push_back(std::move(entry));
    }
    std::stable_sort(listing.entries.begin(), listing.entries.end(),
                     [](const AlbumEntry& a, const AlbumEntry& b) {
                         return lowerCasePath(a.path) < lowerCasePath(b.path);
                     });
    return listing;
}

} // namespace foldra
