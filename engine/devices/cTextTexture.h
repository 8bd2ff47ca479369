#pragma once

#include "engine/devices/cTexture.h"

#include <string>

namespace Engine
{

// A texture (resource kind 8) holding a whole line of text drawn with a TrueType face: white
// glyphs whose alpha is their coverage, on transparent black. Made by the text line that shows
// it, never loaded from a file. Its image size is the text's size in pixels.
class cTextTexture : public cTexture
{
public:
    // The face drawn when none is named (10 points, bold).
    static constexpr unsigned PixelHeight = 13;

    // Draws the text at once. `face` is the path of a TrueType file; empty for the default face.
    explicit cTextTexture(const std::wstring& text, const std::string& face = std::string());
    ~cTextTexture() override;

    eResourceType getType() const override;

    // Draws the text again (after the device texture was released).
    virtual void reload();
    // Stores the text and draws it, even when it is the same text.
    virtual void setText(const std::wstring& text);
    // Replaces the device texture with a new drawing of the text. An empty text (or one of
    // control characters only) has no device texture and a size of 1 × 1.
    virtual void redraw();

    const std::wstring& getText() const { return m_text; }

private:
    std::wstring m_text;
    std::string m_face;
};

} // namespace Engine
