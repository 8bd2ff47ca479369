#include "game/world/ManagerShutdowns.h"

#include <vector>

namespace
{

std::vector<boost::function<void()>>& registered()
{
    static std::vector<boost::function<void()>> shutdowns;
    return shutdowns;
}

} // namespace

void ManagerShutdowns::add(const boost::function<void()>& shutdown)
{
    registered().push_back(shutdown);
}

void ManagerShutdowns::runAll()
{
    std::vector<boost::function<void()>>& list = registered();
    const std::vector<boost::function<void()>> shutdowns(list.rbegin(), list.rend());
    list.clear();
    for (const auto& shutdown : shutdowns)
        shutdown();
}
