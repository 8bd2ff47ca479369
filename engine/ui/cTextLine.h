#pragma once

#include "engine/ui/cView.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{

class cFont;
class cFontScaled;
class cGlyphView;
class cTextTexture;
class cTexture;

// One line of text. Layouts create it as "textline", "text" or "t".
//
// Two ways of drawing: a bitmap font, where every character is a region of the font texture
// ("Texture") cut as the font file ("Font") says, or, with the constant "game"/"TTFUsage", a
// TrueType face drawn into one text texture the size of the line. A bitmap line loaded from a
// layout draws its letters as one batch of quads ("MultiSprites" on); a line made in code draws
// one glyph view per letter until "MultiSprites" is set.
//
// Alignment: 0 centred on the position, 1 starting at it, 2 ending at it. Texts are translated
// through `cStrings` once, when they are set, while the line is localized. With the constant
// "game"/"RightToLeftEnable" (and no "IgnoreRightToLeft") the line is shown right to left: the
// text reversed, with runs of Latin letters and digits kept in reading order. Setters set dirty;
// the line is laid out when it is next updated, shown, disabled or measured, and at the latest
// before it is drawn.
class cTextLine : public cView
{
public:
    static constexpr uint32_t AlignCentre = 0;
    static constexpr uint32_t AlignStart = 1;
    static constexpr uint32_t AlignEnd = 2;

    explicit cTextLine(cControl* parent = nullptr);
    // A root line with the view, the names, the metrics, the alignment and the flags of
    // `other`, sharing its font, and its text as it stands (it was translated already).
    cTextLine(const cTextLine& other);
    ~cTextLine() override;

    // The view's step, then the layout when dirty.
    void update() override;
    // The view's keys, then "String" ("/n" is a line feed), "Texture", "Font", "SpaceWidth",
    // "Multiplier", "Localized", "Intersymbol", "IgnoreRightToLeft", "Align" and "Color". A
    // bitmap line then draws as one batch.
    void loadXML(const tPropertiesPtr& node) override;
    // Laid out first, so the line is drawn as it now reads.
    void onShow() override;
    // A dirty line lays itself out before it stops being updated.
    void onDisable() override;
    void setAlpha(float alpha) override;
    // Only a colour that packs differently changes the line.
    void setColor(const cColor& color) override;
    // The text texture of a TrueType line, the font texture while the letters are drawn as a
    // batch, else the view's own.
    boost::shared_ptr<cTexture> getTexture() const override;

    // Sets the text (translated when localized); an equal text changes nothing.
    virtual void setText(const std::wstring& text);
    const std::wstring& getText() const { return m_text; }
    // The font texture's file name, and setting it (an equal name changes nothing).
    const std::string& getFontTextureName() const { return m_textureName; }
    virtual void setTexture(const std::string& name);
    // The font file.
    const std::string& getFontName() const { return m_fontName; }
    void setFont(const std::string& name);
    virtual const float& getMultiplier() const { return m_multiplier; }
    virtual void setMultiplier(float multiplier);
    virtual const uint32_t& getAlign() const { return m_align; }
    virtual void setAlign(uint32_t align);
    // The laid-out line's width and height (laid out first when dirty).
    virtual float getWidth();
    virtual float getHeight();
    virtual bool isLocalized() const { return m_localized; }
    virtual void setLocalized(bool localized) { m_localized = localized; }
    float getSpaceWidth() const { return m_spaceWidth; }
    void setSpaceWidth(float width);
    float getIntersymbol() const { return m_intersymbol; }
    void setIntersymbol(float intersymbol);
    bool isRightToLeft() const { return m_rightToLeft; }
    void setRightToLeft(bool on);
    bool isTrueType() const { return m_trueType; }
    // Switches between the bitmap font and the TrueType face; the next layout draws the other way.
    void setTrueType(bool on);
    // Whether the line can draw the character: always with TrueType, else when the font has
    // a glyph for it.
    bool isPrintable(wchar_t c) const;
    // Width and height of characters in this line's font and size, without laying them out.
    cVector2 measureText(const wchar_t* chars, size_t count) const;

    // Places the glyph views (or, with "MultiSprites", rebuilds the batch); does nothing and
    // stays dirty without a font and its texture.
    virtual void layoutGlyphs();
    // Draws the text into the text texture and takes its size.
    virtual void layoutTrueType();

    // The order in which a right-to-left line shows `text`.
    static std::wstring rightToLeftOrder(const std::wstring& text);

protected:
    // A TrueType line's quad; a bitmap line draws none of its own (its letters are the batch
    // or the glyph views).
    void buildSprite(cQuad& sprite, uint32_t frame, float weight) override;
    // One quad per letter, shifted by the alignment.
    void buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight) override;
    // The layout a change asked for, before the line is drawn (a shown line).
    void layOut() override;

    // The text as it is drawn (in right-to-left order when the line is right to left).
    std::wstring shownText() const;
    // For each quad of the last batch, the index in `shownText` of the character it draws.
    const std::vector<size_t>& getBatchCharacters() const { return m_batchCharacters; }
    const boost::shared_ptr<cFont>& getFont() const { return m_font; }
    const boost::shared_ptr<cTexture>& getFontTexture() const { return m_fontTexture; }
    // The width of the last layout, without laying out again.
    float getLaidOutWidth() const { return m_width; }

private:
    // One letter as laid out: the index of its character, its centre x relative to the line's
    // start, size and texture region.
    struct tGlyph
    {
        size_t character = 0;
        float centre = 0.0f;
        float width = 0.0f;
        float height = 0.0f;
        float left = 0.0f;
        float top = 0.0f;
        float right = 0.0f;
        float bottom = 0.0f;
    };

    // Lays the text out in font units. `batched` counts tabs as spaces and applies the
    // intersymbol factor to the letters' advances, as the batch does. False without a font.
    bool walk(const std::wstring& text, bool batched, std::vector<tGlyph>& glyphs, float& width,
              float& height) const;
    // The layout of the current mode.
    void layout();
    // Marks the line for a new layout, done before it is next drawn.
    void changed();
    // Where the glyphs are drawn from: the font's picture, or, for a line drawn smaller than its
    // font, the font's glyphs reduced to that size (the glyphs' places stay the font's; the
    // font's picture again when it cannot be reduced); sets the regions of `glyphs` to the
    // picture's.
    boost::shared_ptr<cTexture> glyphPicture(const std::wstring& text, std::vector<tGlyph>& glyphs) const;
    // The reduced glyphs for the multiplier, found once for each font, picture and multiplier.
    const cFontScaled* shrunkGlyphs() const;
    float alignOffset() const;
    std::wstring translate(const std::wstring& text) const;
    size_t drawableCount(const std::wstring& text) const;
    // Lays out at once when nothing else would: the line is shown but gets no update.
    void layoutWhenIdle();

    std::vector<cGlyphView*> m_glyphViews;
    std::wstring m_text;
    std::string m_fontName;
    std::string m_textureName;
    float m_spaceWidth = 10.0f;
    float m_multiplier = 1.0f;
    float m_width = 0.0f;
    float m_height = 0.0f;
    float m_intersymbol = 1.0f;
    uint32_t m_align = AlignCentre;
    bool m_localized = true;
    boost::shared_ptr<cFont> m_font;
    boost::shared_ptr<cTexture> m_fontTexture;
    boost::shared_ptr<cTextTexture> m_textTexture;
    bool m_rightToLeft = false;
    bool m_ignoreRightToLeft = false;
    bool m_trueType = false;
    std::vector<size_t> m_batchCharacters;
    mutable boost::shared_ptr<cFontScaled> m_shrunk;
    mutable bool m_shrunkFound = false;
};

} // namespace Engine
