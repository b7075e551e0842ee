#pragma once
#include <span>

namespace Torva {

// Fixed reference data used to seed a demo database: code tables, a sample of
// real city/state/zip rows, and name and street lists for generating parties.
// Everything is static; the spans stay valid for the life of the program.
namespace DemoReferenceData {

struct State { const char *code; const char *name; const char *country; };   // code 2 chars
struct ZipRow { const char *city; const char *state; int zip; };              // city at most 15 chars, UPPER CASE
struct Relationship { int code; const char *description; const char *inverseDescription; };
struct SexCode { const char *code; const char *description; };

// US states, DC and territories (country "US"), then a few Canadian provinces
// and Mexican states. Codes are unique across the whole list.
std::span<const State> states();

// Zip is stored as an int, so New England and Puerto Rico zips lose their
// leading zero (02134 is 2134). Some zips appear under more than one city.
std::span<const ZipRow> zipRows();

// description: what side 1 is to side 2; inverseDescription: what side 2 is
// to side 1. The two are equal for symmetric relationships.
std::span<const Relationship> relationships();

std::span<const SexCode> sexCodes();
std::span<const char *const> lastNames();     // UPPER CASE
std::span<const char *const> firstNames();    // UPPER CASE
std::span<const char *const> streetNames();   // UPPER CASE, e.g. "MAIN ST", no commas

} // namespace DemoReferenceData

} // namespace Torva
