#pragma once

#include <array>

// The words of "Category" in "Units/Units.xml". A category's id is the one the configuration's
// category table gave its name, never its place in this list, so code compares a type's
// category id with GameConfig::getCategoryId of one of these words.
namespace UnitCategory
{
constexpr const wchar_t* hero = L"hero";
constexpr const wchar_t* attach = L"attach";
constexpr const wchar_t* transport = L"transport";
constexpr const wchar_t* base = L"base";
constexpr const wchar_t* mill = L"mill";
constexpr const wchar_t* plant = L"plant";
constexpr const wchar_t* service = L"service";
constexpr const wchar_t* barrier = L"barrier";
constexpr const wchar_t* barrierroad = L"barrierroad";
constexpr const wchar_t* road = L"road";
constexpr const wchar_t* resource = L"resource";
constexpr const wchar_t* animal = L"animal";
constexpr const wchar_t* quest = L"quest";
constexpr const wchar_t* worker = L"worker";
constexpr const wchar_t* ambient = L"ambient";
constexpr const wchar_t* bonus = L"bonus";

constexpr std::array<const wchar_t*, 16> all = {hero,    attach,  transport,   base, mill,     plant,
                                                service, barrier, barrierroad, road, resource, animal,
                                                quest,   worker,  ambient,     bonus};
} // namespace UnitCategory
