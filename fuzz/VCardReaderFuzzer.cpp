// The vCard reader over any bytes, and the writer over whatever it reads.
//
// Input: the bytes of a file. Every card read is written in 2.1, 3.0 and
// 4.0 and read again: the second reading must give exactly one card, and a
// card whose fields are plain ASCII words must come back with the same
// office name and e-mail lines.
#include <sstream>

#include "FuzzSupport.h"
#include "VCardReader.h"
#include "VCardWriter.h"

using fuzz::Require;
using namespace varo::interchange;

namespace {

// A small bound, so that the fuzzer also meets cut lines.
const size_t kLineBound = 4096;

bool IsPlainWord(const std::string& text) {
    for (char c : text) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '@' || c == '.')) return false;
    }
    return true;
}

void RoundTrip(const Card& card, VCardVersion version) {
    std::ostringstream out;
    VCardWriter(out, version).Write(card);
    std::istringstream in(out.str());
    VCardReader reader(in);
    Card again;
    const ReadOutcome outcome = reader.Next(&again);
    Require(outcome.kind == ReadOutcome::kCard, "a written card reads back");
    Card after;
    Require(reader.Next(&after).kind == ReadOutcome::kEnd, "a written card is one card");
    if (IsPlainWord(card[kCardOffice])) Require(again[kCardOffice] == card[kCardOffice], "office name kept");
    if (IsPlainWord(card[kCardHomeEmail])) Require(again[kCardHomeEmail] == card[kCardHomeEmail], "e-mail kept");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    VCardReader reader(in, kLineBound);
    for (int cards = 0; cards < 64; ++cards) {
        Card card;
        const ReadOutcome outcome = reader.Next(&card);
        if (outcome.kind == ReadOutcome::kEnd) break;
        if (outcome.kind != ReadOutcome::kCard) continue;
        for (VCardVersion version : {VCardVersion::k21, VCardVersion::k30, VCardVersion::k40}) RoundTrip(card, version);
    }
    return 0;
}
