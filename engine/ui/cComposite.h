#pragma once

#include "engine/ui/cPicture.h"

#include <map>
#include <string>

namespace Engine
{

class cMultiLineText;
class cTextLine;

// A picture built of fixed groups of parts: "SubPictures" (pictures), "SubTexts" (text lines),
// "SubMultitexts" (multi-line texts), each part found by its "Tag", and "SubPyro" (particle
// views, started at once, found by no tag). Most panels of the game derive from it and read
// their own keys after it. Layouts create it as "composite". Setting its alpha sets that of its
// whole subtree.
class cComposite : public cPicture
{
public:
    explicit cComposite(cControl* parent = nullptr);
    // A copy would point at the source's children (the parts) without having them.
    cComposite(const cComposite&) = delete;

    void loadXML(const tPropertiesPtr& node) override;
    void setAlpha(float alpha) override;
    // A part that leaves the composite leaves its tag too.
    void removeChild(cControl* child) override;

    // The part of a tag; null when there is none.
    cPicture* findPicture(const std::wstring& tag) const;
    cTextLine* findText(const std::wstring& tag) const;
    cMultiLineText* findMultiText(const std::wstring& tag) const;

    const std::map<std::wstring, cPicture*>& getPictures() const { return m_pictures; }
    const std::map<std::wstring, cTextLine*>& getTexts() const { return m_texts; }
    const std::map<std::wstring, cMultiLineText*>& getMultiTexts() const { return m_multiTexts; }

private:
    std::map<std::wstring, cMultiLineText*> m_multiTexts;
    std::map<std::wstring, cTextLine*> m_texts;
    std::map<std::wstring, cPicture*> m_pictures;
};

} // namespace Engine
