// Exporting tips to iCalendar or vCard, one tip at a time as the fukuros
// are walked, so that no number of tips is held in memory at once.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "TipKinds.h"
#include "VAROObj.h"
#include "VCardRules.h"

namespace varo {
namespace interchange {

struct ExportRequest {
    FileFormat format = FileFormat::kCalendar;
    VCardVersion cardVersion = VCardVersion::k30;
    std::vector<long> fukuros;     // empty: the home fukuros of the format's kinds
    std::vector<uint16_t> kinds;   // empty: every kind the format carries
};

struct ExportSummary {
    long written = 0;
    long passedOver = 0;  // tips of kinds the format does not carry
};

// The tips a request would walk, for progress (a tip in two fukuros
// counts twice).
long CountTips(CVAROObj& kit, long db, const ExportRequest& request);

// Writes the file; false with *problem set when the engine cannot walk a
// fukuro. `progress` is called with the tips walked so far.
bool ExportTips(CVAROObj& kit, long db, const ExportRequest& request, std::ostream& out,
                const std::function<void(long)>& progress, ExportSummary* summary, std::string* problem);

}  // namespace interchange
}  // namespace varo
