#pragma once
// A growable byte buffer for codec output: zero-filled, 1024 bytes to start, doubling when
// full, never shrinking, so a buffer reused across parts stops allocating once it fits them.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvel::codec {

class ByteBuffer {
public:
    static constexpr std::size_t kInitialCapacity = 1024;

    ByteBuffer();

    const std::uint8_t* data() const { return m_data.get(); }
    std::uint8_t* data() { return m_data.get(); }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    // Read position for a consumer that drains the buffer in steps.
    std::size_t position() const { return m_position; }
    void setPosition(std::size_t position) { m_position = position < m_size ? position : m_size; }

    // Used length and read position back to 0; the storage stays.
    void clear()
    {
        m_size = 0;
        m_position = 0;
    }
    // False when the buffer had to grow and could not.
    bool append(std::uint8_t byte);
    // Little-endian 16-bit sample.
    bool appendSample(std::int16_t sample);

private:
    bool grow();

    std::unique_ptr<std::uint8_t[]> m_data;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
    std::size_t m_position = 0;
};

} // namespace orvel::codec
