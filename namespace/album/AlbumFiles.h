#pragma once
// The album's changes to its folder: deleting images and sequences with their images, and
// splitting a sequence back into its images. Failures to delete a file are skipped, as the
// user sees what is left after the refill.

#include <string>
#include <vector>

namespace foldra {

// Deletes each ".jpg" and each ".sqj" with the images it lists. Only files directly in the
// sequence's own folder that the sequence names by a plain file name are deleted: a hostile
// sequence naming "../x", "sub/x" or an absolute path elsewhere deletes nothing but itself.
// Other paths are left alone. Returns the number of files deleted.
std::size_t deleteAlbumFiles(const std::vector<std::string>& paths);

// Deletes the sequence file and keeps its images; false when it could not be deleted.
bool splitSequence(const std::string& sequencePath);

} // namespace foldra
