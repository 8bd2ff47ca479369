#include "engine/core/SaveFailures.h"

#include "engine/core/ErrorText.h"

namespace Engine
{
namespace
{

struct sSaveFailures
{
    std::function<void(eSavedFile, const std::string&)> listener;
    int count = 0;
    eSavedFile firstFile = eSavedFile::settings;
    std::string first;
    bool told = false;
};

sSaveFailures& failures()
{
    static sSaveFailures state;
    return state;
}

void tell()
{
    sSaveFailures& state = failures();
    if (state.told || state.count == 0 || !state.listener)
        return;
    state.told = true;
    // The listener may report again: it must not hear of that.
    const auto listener = state.listener;
    listener(state.firstFile, state.first);
}

} // namespace

void reportSaveFailure(eSavedFile file, const std::string& text)
{
    sSaveFailures& state = failures();
    reportProblem(L"files", text);
    if (state.count++ == 0)
    {
        state.firstFile = file;
        state.first = text;
    }
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
    state.first.clear();
    state.told = false;
}

} // namespace Engine
