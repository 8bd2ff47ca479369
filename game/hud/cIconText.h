#pragma once

#include "engine/ui/cTextLine.h"

#include <cstdint>
#include <string>

namespace Engine
{
class cPicture;
}

// A text line with an icon beside it: one resource of a tooltip's resource row, its icon and
// amount. The layout's required child "Icon" is the icon (placed relative to the text); with
// "HasDisableView" the icon shows frame 1 while the text is disabled (the level cannot pay).
class cIconText : public Engine::cTextLine
{
public:
    explicit cIconText(Engine::cControl* parent);
    // The flags, the amounts and a copy of the icon, the copy's own child.
    cIconText(const cIconText& other);

    // The text line's keys, "HasDisableView", then the child "Icon"; throws the C string
    // "cIconText::loadXML(): can't find Icon tag" without it.
    void loadXML(const Engine::tPropertiesPtr& node) override;
    void onEnable() override;
    void onDisable() override;
    // Sets the text and lays it out at once.
    void setText(const std::wstring& text) override;

    void setIcon(const std::string& path);
    void setIconFrom(const Engine::cImage& image);
    Engine::cPicture* getIcon() const { return m_icon; }

    virtual const int32_t& getNeed() const { return m_need; }
    virtual void setNeed(const int32_t& need) { m_need = need; }
    virtual const int32_t& getHave() const { return m_have; }
    virtual void setHave(const int32_t& have) { m_have = have; }
    bool hasDisableView() const { return m_hasDisableView; }

private:
    // A child of the text (owned by the tree).
    Engine::cPicture* m_icon;
    bool m_hasDisableView = false;
    int32_t m_need = 0;
    int32_t m_have = 0;
};
