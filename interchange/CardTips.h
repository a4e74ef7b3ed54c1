// Address cards between the kit's current tip and the Card of the
// interchange formats, through the kit's typed accessors only.
//
// Categories are kept in cards by number; files name them. CategoryNames
// reads the database's table of names (the "Category" preference tip).
#pragma once

#include <string>
#include <vector>

#include "Card.h"
#include "VAROObj.h"

namespace varo {
namespace interchange {

// The 100 category names of a database by number (empty where unnamed);
// all empty when the database has no category table.
std::vector<std::string> CategoryNames(CVAROObj& kit, long db);

// Reads the current tip (an address card) into *card.
void ReadCard(CVAROObj& kit, const std::vector<std::string>& categoryNames, Card* card);

// Writes every field of the card into the current tip, which the caller
// has begun with SetTipFlag. False with *problem set (naming the field and
// the character) when a text cannot be said in Shift-JIS or a field does not
// fit; categories the database does not name are listed in *unknown.
bool WriteCard(CVAROObj& kit, const Card& card, const std::vector<std::string>& categoryNames, std::string* problem,
               std::vector<std::string>* unknown);

}  // namespace interchange
}  // namespace varo
