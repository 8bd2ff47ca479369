#include "game/world/LevelTutor.h"

#include "game/world/UnitTip.h"

namespace
{

// Stands in for the tutorial where the program has none.
class NoTutor final : public LevelTutor
{
public:
    void addTip(const TipPtr&) override {}
    bool showTip(const TipPtr&) override { return false; }
    void onUnitClicked(const TipPtr&) override {}
    void forgetTip(const TipPtr&) override {}
    void update(float) override {}
    void reset() override {}
    bool allowsClick(const boost::shared_ptr<cUnit>&, bool) override { return true; }
    boost::shared_ptr<cUnit> getPointedUnit() const override { return {}; }
};

LevelTutor& noTutor()
{
    static NoTutor tutor;
    return tutor;
}

LevelTutor::Source& source()
{
    static LevelTutor::Source installed = &noTutor;
    return installed;
}

} // namespace

LevelTutor& LevelTutor::instance()
{
    return source()();
}

void LevelTutor::setSource(Source installed)
{
    source() = installed ? installed : &noTutor;
}
