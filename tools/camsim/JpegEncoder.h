#pragma once
// TurboJPEG compression of packed RGB pictures. One encoder per thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace camsim {

class JpegEncoder {
public:
    static std::unique_ptr<JpegEncoder> create(); // null when TurboJPEG cannot start
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    // Baseline JPEG, 4:2:0. False on failure (out is then empty).
    bool encode(const std::vector<std::uint8_t>& rgb, int width, int height, int quality,
                std::string& out);

private:
    explicit JpegEncoder(void* handle) : m_handle(handle) {}
    void* m_handle; // tjhandle
    std::vector<unsigned char> m_buffer;
};

} // namespace camsim
