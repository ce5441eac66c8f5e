#pragma once
// The album's "create sequence": a sequence over images already in an album folder, named
// after the first image, with an interval guessed from the images' modification times.

#include "platform/base/Hresult.h"

#include <cstdint>
#include <string>
#include <vector>

// The interval for imageCount images whose first and last modification times (whole seconds)
// are given: rate = count / span + 1 images a second, interval = 1000 / rate, at most 500 ms.
// Equal times count as a span of 1 second.
UI4 createSequenceInterval(UI4 imageCount, std::int64_t firstTime, std::int64_t lastTime);

// Writes the sequence for the chosen images, in list order, taking only ".jpg" files (any
// letter case) that still exist. The file is the first image's path with ".sqj" for its
// extension, replacing any file there; entries are the images' bare names. S_OK with
// *sequencePath set, S_FALSE when no image qualified (nothing written), or the failure of
// creating or writing the file.
HRESULT createAlbumSequence(const std::vector<std::string>& imagePaths, std::string* sequencePath);
