#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace PyroParticles
{

// Decodes standard base64 ("A–Z a–z 0–9 + /", "=" padding); white space is skipped. False for
// any other character, misplaced padding or a length that is not a whole number of groups.
bool decodeBase64(const std::string& text, std::vector<uint8_t>& out);
std::string encodeBase64(const uint8_t* data, size_t size);

} // namespace PyroParticles
