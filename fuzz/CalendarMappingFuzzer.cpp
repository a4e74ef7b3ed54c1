// The iCalendar side over any bytes: the stream reader, libical's parse of
// each component, the mapping of every component into the kit's tip record
// and of that tip back into iCalendar text, which libical must parse.
//
// Input: the bytes of a file. No engine is needed: the mapping works on the
// kit's process-wide record through its accessors. A component that maps
// into a tip must be written back as one component of the same type.
#include <sstream>

#include "CalendarReader.h"
#include "CalendarTips.h"
#include "FuzzSupport.h"
#include "VAROObj.h"

using fuzz::Require;
using namespace varo::interchange;

namespace {

const size_t kLineBound = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    icalerror_set_errors_are_fatal(0);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    CalendarReader reader(in, kLineBound);
    CVAROObj kit;
    const ExportZone zone;
    for (int components = 0; components < 64; ++components) {
        icalcomponent* component = nullptr;
        const ReadOutcome outcome = reader.Next(&component);
        if (outcome.kind == ReadOutcome::kEnd) break;
        if (outcome.kind != ReadOutcome::kCard) continue;
        const uint16_t kind = KindOfComponent(component);
        ComponentImport result;
        if (kind != 0 && kit.SetTipFlag(kind) == 1 && ComponentToTip(kit, component, reader.Zones(), &result)) {
            std::string text;
            CalendarWriter writer(&text);
            Require(WriteTipComponent(kit, zone, "uid", writer), "a mapped tip is written back");
            icalcomponent* back = icalcomponent_new_from_string(text.c_str());
            Require(back != nullptr, "libical parses the written component");
            Require(icalcomponent_isa(back) == icalcomponent_isa(component), "the same component type");
            icalcomponent_free(back);
        }
        icalcomponent_free(component);
    }
    return 0;
}
