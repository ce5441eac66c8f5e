#pragma once
// What an album folder shows: its sequences, and the images that belong to no sequence. Read
// from the directory afresh each time; no file stays open afterwards.

#include <cstddef>
#include <string>
#include <vector>

namespace foldra {

// Stand-alone images decoded per fill; later ones show the placeholder, so large albums open
// quickly.
inline constexpr std::size_t kMaxDecodedThumbnails = 75;
// Files looked at per fill: a directory beyond this is listed up to it.
inline constexpr std::size_t kMaxAlbumFiles = 100000;

enum class AlbumEntryKind { Sequence, Image };

struct AlbumEntry {
    AlbumEntryKind kind = AlbumEntryKind::Image;
    std::string name; // the file name, as shown
    std::string path; // the full path as found (the file system tells letter case apart)
    // The image the thumbnail is made of: a sequence's first frame, an image itself; empty
    // for an image past kMaxDecodedThumbnails (the placeholder).
    std::string thumbnailSource;
};

enum class AlbumState {
    Listed,
    Missing,      // message 1011
    NotDirectory, // message 1008
};

struct AlbumListing {
    AlbumState state = AlbumState::Missing;
    std::vector<AlbumEntry> entries; // sorted by full path, letter case ignored
};

// The directory without trailing "/" (but "/" itself stays).
std::string albumDirectory(std::string directory);

// Sequences whose count is 0 or whose tag is neither sq10 nor sq11 are left out and own no
// images. An image a sequence lists is hidden, also when the names differ in letter case.
AlbumListing listAlbum(const std::string& directory);

// Extension tests, letter case ignored.
bool isSequenceFile(const std::string& path);
bool isImageFile(const std::string& path);

} // namespace foldra
