#include "recorder/sequence/AlbumSequence.h"

#include "recorder/sequence/SequenceWriter.h"

#include <sys/stat.h>

namespace {
bool hasJpgExtension(const std::string& path)
{
    if (path.size() < 4)
        return false;
    const std::string ext = path.substr(path.size() - 4);
    return ext[0] == '.' && (ext[1] | 0x20) == 'j' && (ext[2] | 0x20) == 'p' &&
           (ext[3] | 0x20) == 'g';
}

bool modificationTime(const std::string& path, std::int64_t* seconds)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    *seconds = static_cast<std::int64_t>(info.st_mtime);
    return true;
}
} // namespace

UI4 createSequenceInterval(UI4 imageCount, std::int64_t firstTime, std::int64_t lastTime)
{
    // 32-bit unsigned arithmetic as the album always did it: a last image older than the
    // first wraps to a huge span, so rate 1 and the 500 ms cap.
    UI4 span = static_cast<UI4>(lastTime - firstTime);
    if (span == 0)
        span = 1;
    UI4 rate = imageCount / span + 1;
    if (rate == 0)
        rate = 1;
    const UI4 interval = 1000 / rate;
    return interval > 500 ? 500 : interval;
}

HRESULT createAlbumSequence(const std::vector<std::string>& imagePaths, std::string* sequencePath)
{
    std::optional<SequenceWriter> writer;
    std::int64_t firstTime = 0;
    std::int64_t lastTime = 0;
    for (const std::string& image : imagePaths) {
        std::int64_t time = 0;
        if (!hasJpgExtension(image) || !modificationTime(image, &time))
            continue;
        if (!writer) {
            const std::string path = image.substr(0, image.size() - 4) + ".sqj";
            if (const HRESULT hr = SequenceWriter::create(path, &writer); FAILED(hr))
                return hr;
            firstTime = time;
        }
        const auto slash = image.rfind('/');
        const std::string name = slash == std::string::npos ? image : image.substr(slash + 1);
        if (const HRESULT hr = writer->appendEntry(name); FAILED(hr)) {
            writer->finish(createSequenceInterval(writer->frameCount(), firstTime, lastTime));
            return hr;
        }
        writer->countFrame();
        lastTime = time;
    }
    if (!writer)
        return S_FALSE;
    *sequencePath = writer->path();
    return writer->finish(createSequenceInterval(writer->frameCount(), firstTime, lastTime));
}
