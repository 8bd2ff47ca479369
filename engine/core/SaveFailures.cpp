#include "engine/core/SaveFailures.h"

#include "engine/core/ErrorText.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace Engine
{
namespace
{

struct sSaveFailures
{
    std::function<void(eSavedFile, const std::string&)> listener;
    int count = 0;
    // Each file that failed in this run, once, in the order of its first failure and with that
    // failure's text; the first `told` of them have reached the listener.
    std::vector<std::pair<eSavedFile, std::string>> failed;
    std::size_t told = 0;
    bool telling = false;
};

sSaveFailures& failures()
{
    static sSaveFailures state;
    return state;
}

void tell()
{
    sSaveFailures& state = failures();
    // A failure reported while the listener hears of another (its message could not be shown,
    // say) waits for the listener to return: the loop below comes to it.
    if (state.telling)
        return;
    state.telling = true;
    while (state.listener && state.told < state.failed.size())
    {
        const auto failure = state.failed[state.told++];
        const auto listener = state.listener;
        listener(failure.first, failure.second);
    }
    state.telling = false;
}

} // namespace

void reportSaveFailure(eSavedFile file, const std::string& text)
{
    sSaveFailures& state = failures();
    reportProblem(L"files", text);
    ++state.count;
    const auto same = [file](const auto& failure) { return failure.first == file; };
    if (std::none_of(state.failed.begin(), state.failed.end(), same))
        state.failed.emplace_back(file, text);
    tell();
}

void setSaveFailureListener(std::function<void(eSavedFile file, const std::string& text)> listener)
{
    failures().listener = std::move(listener);
    tell();
}

int saveFailureCount()
{
    return failures().count;
}

void resetSaveFailures()
{
    sSaveFailures& state = failures();
    state.count = 0;
    state.failed.clear();
    state.told = 0;
}

} // namespace Engine
