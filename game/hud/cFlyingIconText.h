#pragma once

#include "engine/core/cColor.h"
#include "engine/core/cVector2.h"
#include "engine/ui/cPicture.h"

#include <string>

namespace Engine
{
class cTextLine;
}

// A resource icon with a count ("+3") that rises from a point and fades out, then deletes
// itself. Read from an effect file ("Effects/FlyingIconText.xml"): the picture's keys, the
// child "Text" (the count's text line), the child "Icons", whose child number `iconIndex` is
// the icon, "offset" (added to the start point), "fly_up_dir" (the whole way it rises),
// "fly_up_time" (seconds), "random_radius" and "DisableTextColor".
class cFlyingIconText : public Engine::cPicture
{
public:
    cFlyingIconText(Engine::cControl* parent, const Engine::cVector2& start, const std::wstring& text,
                    int iconIndex, bool randomize, const std::string& effectPath);
    cFlyingIconText(const cFlyingIconText&) = delete;
    ~cFlyingIconText() override;

    // While the fly time runs: rises and fades; then deletes itself. A file that gives no
    // time to fly deletes it in its first frame.
    void update() override;
    void loadXML(const Engine::tPropertiesPtr& node) override;

    const std::wstring& getText() const;
    int getIconIndex() const { return m_iconIndex; }
    float getFlyTime() const { return m_flyTime; }
    const Engine::cTextLine* getTextLine() const { return m_text; }
    const Engine::cPicture* getIcon() const { return m_icon; }
    const Engine::cColor& getDisabledTextColor() const { return m_disabledTextColor; }

private:
    // Children of the view (owned by the tree).
    Engine::cTextLine* m_text = nullptr;
    Engine::cPicture* m_icon = nullptr;
    int m_iconIndex = 0;
    float m_randomRadius = 0.0f;
    Engine::cVector2 m_offset{0.0f, 0.0f};
    Engine::cVector2 m_velocity{0.0f, 1.0f};
    float m_fadeSpeed = 1.0f;
    float m_flyTime = 1.0f;
    Engine::cVector2 m_flyDirection{0.0f, 1.0f};
    Engine::cColor m_disabledTextColor;
};
