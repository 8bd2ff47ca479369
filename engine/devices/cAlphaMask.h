#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Engine
{

// One bit per pixel of an image: set where the pixel is not fully transparent. A button keeps
// one as its hit mask. Bit y × width + x stands for pixel (x, y); the bits are packed 32 to a
// word, bit i in word i / 32 at position i mod 32 from the least significant bit.
class cAlphaMask
{
public:
    // Sizes the mask for a width × height image: the word count becomes (w × h + 31) / 32
    // (added words are zero, surplus words dropped, the others keep their bits) and the bits of
    // the last word beyond w × h are cleared.
    void resize(uint32_t width, uint32_t height);

    uint32_t getWidth() const { return m_width; }
    uint32_t getHeight() const { return m_height; }
    size_t getBitCount() const { return m_bitCount; }
    const std::vector<uint32_t>& getWords() const { return m_words; }

    // Bit `index`; false beyond the bit count.
    bool test(size_t index) const;
    // The bit of pixel (x, y); false outside the image.
    bool test(uint32_t x, uint32_t y) const;
    // Sets or clears bit `index`; nothing beyond the bit count.
    void set(size_t index, bool value);

private:
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    size_t m_bitCount = 0;
    std::vector<uint32_t> m_words;
};

} // namespace Engine
