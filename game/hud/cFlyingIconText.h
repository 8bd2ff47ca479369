#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cPicture.h"

#include <string>

// A resource icon with a count ("+3") that rises from a point and fades out, then deletes
// itself. Read from an effect file ("Effects/FlyingIconText.xml"): the picture, "offset" (added
// to the start point), "fly_up_dir" (the whole way it rises), "fly_up_time" (seconds),
// "random_radius", and the child "Icons", whose child number `iconIndex` is the icon.
class cFlyingIconText : public Engine::cPicture
{
public:
    cFlyingIconText(Engine::cControl* parent, const Engine::cVector2& start, const std::wstring& text,
                    int iconIndex, bool randomize, const std::string& effectPath);

    void update() override;
    void loadXML(const Engine::tPropertiesPtr& node) override;

    const std::wstring& getText() const { return m_text; }
    int getIconIndex() const { return m_iconIndex; }
    float getFlyTime() const { return m_flyTime; }

private:
    std::wstring m_text;
    Engine::cPicture* m_icon = nullptr;
    int m_iconIndex = 0;
    float m_randomRadius = 0.0f;
    Engine::cVector2 m_offset;
    Engine::cVector2 m_velocity{0.0f, 1.0f};
    float m_fadeSpeed = 1.0f;
    float m_flyTime = 1.0f;
    Engine::cVector2 m_flyDirection{0.0f, 1.0f};
};
