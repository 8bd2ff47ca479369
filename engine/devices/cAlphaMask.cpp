#include "engine/devices/cAlphaMask.h"

namespace Engine
{

void cAlphaMask::resize(uint32_t width, uint32_t height)
{
    m_width = width;
    m_height = height;
    m_bitCount = static_cast<size_t>(width) * height;
    m_words.resize((m_bitCount + 31) / 32, 0u);
    if (m_bitCount % 32 != 0)
        m_words.back() &= (1u << (m_bitCount % 32)) - 1u;
}

bool cAlphaMask::test(size_t index) const
{
    if (index >= m_bitCount)
        return false;
    return (m_words[index / 32] >> (index % 32)) & 1u;
}

bool cAlphaMask::test(uint32_t x, uint32_t y) const
{
    if (x >= m_width || y >= m_height)
        return false;
    return test(static_cast<size_t>(y) * m_width + x);
}

void cAlphaMask::set(size_t index, bool value)
{
    if (index >= m_bitCount)
        return;
    const uint32_t bit = 1u << (index % 32);
    if (value)
        m_words[index / 32] |= bit;
    else
        m_words[index / 32] &= ~bit;
}

} // namespace Engine
