#include "tools/camsim/FrameFactory.h"

#include <algorithm>

namespace camsim {
namespace {

constexpr std::string_view kTag = "CAMSIM ";
constexpr std::size_t kMaxLoops = 16;

} // namespace

void insertJpegComment(std::string& jpeg, const std::string& comment)
{
    if (jpeg.size() < 2 || comment.size() > 65533)
        return;
    std::size_t length = comment.size() + 2;
    std::string segment = "\xFF\xFE";
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    segment += comment;
    // After the JFIF header when there is one: readers expect APP0 right after the SOI.
    std::size_t at = 2;
    if (jpeg.size() >= 6 && static_cast<unsigned char>(jpeg[2]) == 0xFF &&
        static_cast<unsigned char>(jpeg[3]) == 0xE0)
        at = 4 + ((static_cast<unsigned char>(jpeg[4]) << 8) | static_cast<unsigned char>(jpeg[5]));
    jpeg.insert(std::min(at, jpeg.size()), segment);
}

std::string jpegComment(const std::string& jpeg)
{
    // Walk the segments before the scan; the facts comment starts with the tag.
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[pos]) == 0xFF) {
        auto marker = static_cast<unsigned char>(jpeg[pos + 1]);
        std::size_t length = (static_cast<unsigned char>(jpeg[pos + 2]) << 8) |
                             static_cast<unsigned char>(jpeg[pos + 3]);
        if (marker == 0xDA || length < 2 || pos + 2 + length > jpeg.size())
            break;
        if (marker == 0xFE) {
            std::string text = jpeg.substr(pos + 4, length - 2);
            if (text.starts_with(kTag))
                return text;
        }
        pos += 2 + length;
    }
    return {};
}

FrameFactory::FrameFactory(const TestPicture& picture, int quality, std::string trickyBoundary)
    : m_picture(picture), m_quality(quality), m_encoder(JpegEncoder::create())
{
    if (!trickyBoundary.empty()) {
        std::string nearMarker = "--" + trickyBoundary;
        nearMarker.pop_back();
        m_trickyComment = std::string("tricky\0\0\r\n", 10) + nearMarker + std::string("\0", 1) +
                          "\r\n--\r\n\r\n" + std::string("\0\0\0", 3);
    }
}

std::string FrameFactory::make(const FrameFacts& facts)
{
    std::string jpeg;
    m_picture.render(facts, m_rgb);
    if (!m_encoder || !m_encoder->encode(m_rgb, facts.width, facts.height, m_quality, jpeg))
        return {};
    if (!m_trickyComment.empty())
        insertJpegComment(jpeg, m_trickyComment);
    insertJpegComment(
        jpeg, std::string(kTag) + "camera=" + std::to_string(facts.camera) +
                  " frame=" + std::to_string(facts.frame) + " size=" + std::to_string(facts.width) +
                  "x" + std::to_string(facts.height) + " time=" + std::to_string(facts.timeMs));
    return jpeg;
}

FrameLoopCache::FrameLoopCache(int frames, std::int64_t clockStartMs, int intervalMs)
    : m_frames(std::max(1, frames)), m_clockStartMs(clockStartMs), m_intervalMs(intervalMs)
{}

std::shared_ptr<const FrameLoopCache::Loop> FrameLoopCache::get(int camera, int width, int height,
                                                                const Viewport& viewport,
                                                                FrameFactory& factory)
{
    Key key{camera, width, height, viewport.centerX, viewport.centerY, viewport.zoom};
    std::lock_guard lock(m_mutex);
    if (auto it = m_loops.find(key); it != m_loops.end())
        return it->second;
    auto loop = std::make_shared<Loop>();
    for (int i = 0; i < m_frames; ++i) {
        FrameFacts facts{camera,
                         width,
                         height,
                         static_cast<std::uint64_t>(i),
                         m_clockStartMs + std::int64_t(i) * m_intervalMs,
                         viewport};
        std::string jpeg = factory.make(facts);
        if (jpeg.empty())
            return nullptr;
        loop->push_back(std::move(jpeg));
    }
    if (m_loops.size() >= kMaxLoops)
        m_loops.clear(); // PTZ moves make new loops; old ones go with their last stream
    m_loops.emplace(key, loop);
    return loop;
}

} // namespace camsim
