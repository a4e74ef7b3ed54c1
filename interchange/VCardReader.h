// Reads vCard 2.1, 3.0 and 4.0 files one card at a time, so that a file of
// any size is never held whole in memory.
//
// Values are decoded as their parameters say: ENCODING=QUOTED-PRINTABLE
// (with soft line breaks), ENCODING=BASE64/b and data: URIs, CHARSET (a
// value without one is UTF-8 when it is valid UTF-8, else Shift-JIS, as
// Japanese phones write it), the backslash escapes of 3.0 and 4.0.
// Properties no card field takes are passed over. A card with a line that
// cannot be read is skipped as a whole and reported with its line number;
// the cards after it are read as usual.
#pragma once

#include <istream>
#include <string>

#include "Card.h"
#include "LineReader.h"

namespace varo {
namespace interchange {

struct ReadOutcome {
    enum Kind { kCard, kSkipped, kEnd } kind = kEnd;
    long line = 0;       // where the card (or the bad part) starts
    std::string reason;  // for kSkipped: what was wrong, and where
};

class VCardReader {
public:
    explicit VCardReader(std::istream& in, size_t lineBound = LogicalLines::kDefaultBound) : m_lines(in, lineBound) {}

    ReadOutcome Next(Card* card);
    uint64_t BytesRead() const { return m_lines.BytesRead(); }

private:
    bool NextLine();

    LogicalLines m_lines;
    LogicalLine m_line;
    bool m_hasLine = false;
};

}  // namespace interchange
}  // namespace varo
