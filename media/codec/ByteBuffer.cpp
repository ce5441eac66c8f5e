#include "media/codec/ByteBuffer.h"

#include <cstring>
#include <new>

namespace orvel::codec {

ByteBuffer::ByteBuffer() : m_data(new (std::nothrow) std::uint8_t[kInitialCapacity]())
{
    if (m_data)
        m_capacity = kInitialCapacity;
}

bool ByteBuffer::grow()
{
    std::size_t capacity = m_capacity ? m_capacity * 2 : kInitialCapacity;
    std::unique_ptr<std::uint8_t[]> bigger(new (std::nothrow) std::uint8_t[capacity]());
    if (!bigger)
        return false;
    if (m_size)
        std::memcpy(bigger.get(), m_data.get(), m_size);
    m_data = std::move(bigger);
    m_capacity = capacity;
    return true;
}

bool ByteBuffer::append(std::uint8_t byte)
{
    if (m_size == m_capacity && !grow())
        return false;
    m_data[m_size++] = byte;
    return true;
}

bool ByteBuffer::appendSample(std::int16_t sample)
{
    if (m_capacity - m_size < 2 && !grow())
        return false;
    auto u = static_cast<std::uint16_t>(sample);
    m_data[m_size++] = static_cast<std::uint8_t>(u & 0xff);
    m_data[m_size++] = static_cast<std::uint8_t>(u >> 8);
    return true;
}

} // namespace orvel::codec
