#pragma once
// Save snapshot (24576): the proposed folder and file name, and writing the newest image's
// JPEG bytes unchanged.

#include "common/ICamImageObject.h"

#include <string>

namespace foldra {

// A moment of local time as the proposed name shows it.
struct LocalMoment {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};
LocalMoment localNow();

// "image_20040203_140509_37.jpg" for 14:05:09.370 on 3 February 2004.
std::string proposedSnapshotName(const LocalMoment& at);
// The view's save directory, else "LastSaveDir"; with a trailing "/" when not empty.
std::string proposedSnapshotFolder(const std::string& viewSaveDirectory);
// Stores the folder of a saved snapshot as "LastSaveDir". False when the key cannot be written.
bool rememberSnapshotFolder(const std::string& folder);

// The image's received bytes, without a terminator. \retval S_OK, E_FAIL (no image yet)
HRESULT snapshotBytes(ICamImageObject* image, std::string* bytes);
// Writes bytes to a file created anew at path; on failure nothing is left behind and error
// says what failed.
bool writeSnapshot(const std::string& path, const std::string& bytes, std::string* error);

} // namespace foldra
