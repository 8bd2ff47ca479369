#include "engine/ui/cPriceText.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"

namespace Engine
{

cPriceText::cPriceText(cControl* parent) : cTextLine(parent) {}

void cPriceText::setDegreeOffset(float offset)
{
    if (offset == m_degreeOffset)
        return;
    m_degreeOffset = offset;
    setDirty();
}

void cPriceText::loadXML(const tPropertiesPtr& node)
{
    cTextLine::loadXML(node);
    if (!node)
        return;
    float offset = m_degreeOffset;
    readKey(node, L"DegreeOffset", offset);
    setDegreeOffset(offset);
    layoutGlyphs();
}

void cPriceText::buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight)
{
    cTextLine::buildSprites(sprites, frame, weight);
    const std::vector<size_t>& characters = getBatchCharacters();
    if (sprites.size() < 4 || characters.size() != sprites.size())
        return;
    // Walked from the last character, each with the quad that draws it (spaces have none, and
    // end a run of digits all the same).
    const std::wstring text = shownText();
    size_t quad = sprites.size();
    unsigned digitsFromEnd = 0;
    for (size_t i = text.size(); i-- > 0;)
    {
        const bool drawn = quad > 0 && characters[quad - 1] == i;
        const wchar_t c = text[i];
        if (c >= L'0' && c <= L'9')
        {
            if (drawn)
            {
                const float shift = static_cast<float>(digitsFromEnd % 3) / 3.0f * m_degreeOffset;
                for (cQuadCorner& corner : sprites[quad - 1].corners)
                    corner.x += shift;
            }
            ++digitsFromEnd;
        }
        else
        {
            digitsFromEnd = 0;
        }
        if (drawn)
            --quad;
    }
}

namespace
{

const cControlFactory::cRegistration names({L"pricetext"}, &createControl<cPriceText>);

} // namespace

} // namespace Engine
