#pragma once

#include "tools/artgen/Interpreter.h"

#include <string>
#include <vector>

namespace ArtGen
{

// Pictures laid out for looking at them, never shipped: pages of every sheet, enlarged by
// `zoom`, on a field-green ground with the path and frame count under each, written as
// "<folder>/contact_<n>.png"; and each scene at its own size as "<folder>/<scene path>".
// Returns the files written.
std::vector<std::string> writeContactSheets(const std::vector<const SheetOutput*>& outputs,
                                            const std::string& folder, int zoom);

// The screens a run of the game saved (PNG files, 1024 x 768), side by side to compare their
// look: each a quarter of its size, four a row, in the order given, its file name under it,
// on one sheet written to `path`. Throws when a screen cannot be read or the sheet written.
void writeScreenSheet(const std::vector<std::string>& screens, const std::string& path);

} // namespace ArtGen
