#pragma once

#include "engine/ui/cPicture.h"

#include <map>
#include <string>

namespace Engine
{

// A picture whose child elements become controls of any class through the control factory, each
// found afterwards by the text of its "Tag". Layouts create it as "form" or "f".
//
// The children are made in the property tree's order of child elements (by name key, not in
// document order); with two equal tags the first one made is found. Setting the form's alpha
// sets that of its direct children.
class cForm : public cPicture
{
public:
    explicit cForm(cControl* parent = nullptr);
    // A copy would point at the source's children (the parts) without having them.
    cForm(const cForm&) = delete;

    // The picture's keys, then one control per child element (see
    // `cControlFactory::createFromElement`). An error names the element on the way to it.
    void loadXML(const tPropertiesPtr& node) override;
    void setAlpha(float alpha) override;
    // A child that leaves the form leaves its tag too.
    void removeChild(cControl* child) override;

    // The control entered under a tag; null when there is none.
    cControl* findControl(const std::wstring& tag) const;
    // The control under a tag when it is a T; null otherwise.
    template <class T> T* find(const std::wstring& tag) const { return dynamic_cast<T*>(findControl(tag)); }
    const std::map<std::wstring, cControl*>& getControls() const { return m_controls; }

private:
    std::map<std::wstring, cControl*> m_controls;
};

} // namespace Engine
