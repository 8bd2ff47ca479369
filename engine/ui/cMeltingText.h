#pragma once

#include "engine/ui/cTextLine.h"

#include <string>

namespace Engine
{

// A text that rises at "Speed" units a second, keeps its alpha for "ShowingTime" seconds,
// fades out until "Lifespan" seconds after it was made and then deletes itself (at the end of
// that frame). A lifespan not above the showing time ends the text as soon as its showing
// time is over. Layouts create it as "meltingtext".
class cMeltingText : public cTextLine
{
public:
    // Loads the layout at `path` (a hash-keyed document) when the path is not empty.
    explicit cMeltingText(cControl* parent = nullptr, const std::wstring& path = std::wstring());

    // The line's step, then the rise and the fade.
    void update() override;
    // The text line's keys, then "Lifespan", "Speed" and "ShowingTime".
    void loadXML(const tPropertiesPtr& node) override;

    float getLifespan() const { return m_lifespan; }
    float getShowingTime() const { return m_showingTime; }
    float getSpeed() const { return m_speed; }
    float getAge() const { return m_age; }

private:
    float m_lifespan = 1.5f;
    float m_showingTime = 1.0f;
    float m_speed = 50.0f;
    float m_age = 0.0f;
};

} // namespace Engine
