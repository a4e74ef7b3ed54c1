// Writing tips as the suite's applications do: a new tip is begun in the
// kit's record, filled field by field through the settable-field table and
// stored in its kind's home fukuro (held locked meanwhile); a schedule whose
// alarm is on is also kept in the alarm fukuro.
//
// Failures are printed; results are exit codes of Results.h. A tip that
// could not be stored leaves the database as it was.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "VAROObj.h"

namespace varo {
namespace tool {

// Field names of the settable-field table and their typed (UTF-8) values,
// applied in order.
using FieldList = std::vector<std::pair<std::string, std::string>>;

// Applies the fields to the current tip of the given kind.
int FillFields(CVAROObj& kit, unsigned short kind, const FieldList& fields);

// Makes a new tip of a kind that has a home fukuro and stores it there;
// *tip receives its id.
int AddTip(CVAROObj& kit, long db, unsigned short kind, const FieldList& fields, long* tip);

// Stores the current tip (tip 0: a new one, into `fukuro`; otherwise the
// tip read, wherever it lies) and keeps the alarm fukuro in step; *stored
// receives the id.
int StoreCurrentTip(CVAROObj& kit, long db, long fukuro, long tip, unsigned short kind, long* stored);

}  // namespace tool
}  // namespace varo
