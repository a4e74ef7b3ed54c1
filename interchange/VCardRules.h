// The vCard property map: which property, with which TYPE values, carries
// which field of an address card, in which versions. The reader and the
// writer are both driven by this one table.
#pragma once

#include "Card.h"
#include "ContentLine.h"

namespace varo {
namespace interchange {

enum class VCardVersion { k21, k30, k40 };

enum VersionBits : unsigned {
    kV21 = 1u << 0,
    kV30 = 1u << 1,
    kV40 = 1u << 2,
    kAllVersions = kV21 | kV30 | kV40,
};

unsigned VersionBit(VCardVersion version);

// How a property's value maps onto card fields.
enum class ValueShape {
    kText,           // one text field
    kLines,          // one property per line of the field (phones, e-mail)
    kFormattedName,  // FN
    kName,           // N: family;given;... (4.0: SORT-AS holds the reading)
    kReadingLast,    // the reading's family part (X-PHONETIC-LAST-NAME)
    kReadingFirst,   // the reading's given part
    kIrmcReading,    // SOUND;X-IRMC-N: family;given of the reading (2.1)
    kOrganization,   // ORG: office;section
    kAddress,        // ADR: the address in street, the postal code
    kBirthday,       // BDAY when the field is a date, else the raw text
    kPhoto,          // PHOTO: the portrait
    kCategories,     // CATEGORIES: names
    kSecret,         // CLASS: PRIVATE
    kKind,           // X-VARO-KIND: the tip kind
    kUid,            // UID
};

struct VCardRule {
    const char* property;
    const char* writtenTypes;   // TYPE values written, comma separated
    const char* requiredTypes;  // TYPE values a property must have to match
    ValueShape shape;
    CardField field;
    CardField second;  // ORG's section, ADR's postal code; kCardFieldCount: none
    unsigned versions;  // versions that write it (all read it)
};

const VCardRule* VCardRulesBegin();
const VCardRule* VCardRulesEnd();

// The first rule for a property name whose required types the property
// has, or null for a property no field takes.
const VCardRule* FindVCardRule(const ContentLine& line);

}  // namespace interchange
}  // namespace varo
