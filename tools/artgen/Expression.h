#pragma once

#include "tools/artgen/Value.h"

#include <string>

namespace ArtGen
{

// Evaluates the arithmetic of the picture sources:
//   numbers, variables, ( ), unary - and !, * / %, + -, < <= > >= == !=, && ||
//   functions: sin cos (degrees), atan2(y,x) (degrees), abs floor ceil round sqrt frac,
//              min max (any count), pow, clamp(x,lo,hi), lerp(a,b,t),
//              tri(x) (0 at whole x, 1 half way: a back-and-forth from a running frame time),
//              rand(...) (a fixed number in [0,1) for its arguments, the same on every run)
// A name that no variable holds is a word ("damaged"); words may only be compared with == and
// !=. Comparisons and logic give 1 or 0. Failures throw std::runtime_error with the reason.
Value evaluate(const std::string& text, const Variables& variables);

// The number of an expression; a word throws.
double evaluateNumber(const std::string& text, const Variables& variables);

// A number in [0, 1) fixed by its inputs (a hash): the sources' "random" scatter of stones,
// cracks and leaves, identical on every run and every machine.
double hashUnit(const double* values, size_t count);

} // namespace ArtGen
