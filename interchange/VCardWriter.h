// Writes address cards as vCard 3.0 or 4.0 in UTF-8, or as vCard 2.1 in
// Shift-JIS for the phones that read only that, through the property table.
//
// 3.0 and 4.0 lines are folded at 75 bytes, never inside a UTF-8 sequence;
// 2.1 values that are not plain ASCII go out as CHARSET=SHIFT_JIS with
// quoted-printable encoding and soft line breaks. Empty fields are left out.
#pragma once

#include <ostream>

#include "Card.h"
#include "VCardRules.h"

namespace varo {
namespace interchange {

class VCardWriter {
public:
    VCardWriter(std::ostream& out, VCardVersion version) : m_out(out), m_version(version) {}

    void Write(const Card& card);

private:
    void WriteRule(const VCardRule& rule, const Card& card);
    // A property with one text value, encoded as the version wants.
    void WriteText(const char* name, const char* types, const std::string& text);
    // A property whose components are each a text (N, ORG, ADR).
    void WriteStructured(const char* name, const char* types, const std::vector<std::string>& parts,
                         const std::string& extraParameters = std::string());
    void WritePhoto(const std::string& bytes);
    void WriteLine(const std::string& head, const std::string& value);
    std::string TypeParameters(const char* types) const;

    std::ostream& m_out;
    VCardVersion m_version;
};

// The family and given parts of a name or reading written in one text:
// split at its first blank.
void SplitAtBlank(const std::string& text, std::string* family, std::string* given);

}  // namespace interchange
}  // namespace varo
