// An address card as the interchange formats see it: every field of an
// address-card tip that a vCard can carry, as UTF-8 text with LF line
// breaks (the portrait as raw bytes). Lists of one role (two office phone
// numbers) are one text with a line per value, as the kit keeps them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varo {
namespace interchange {

enum CardField {
    kCardName,
    kCardNameReading,
    kCardOffice,
    kCardOfficeReading,
    kCardSection,
    kCardPosition,
    kCardOfficeTel1,
    kCardOfficeTel2,
    kCardOfficeCellular,
    kCardOfficePager,
    kCardHomeTel,
    kCardHomeCellular,
    kCardHomePager,
    kCardOfficeFax,
    kCardHomeFax,
    kCardOfficeEmail,
    kCardHomeEmail,
    kCardOfficeZip,
    kCardOfficeAddress,
    kCardOfficeRemark,
    kCardHomeZip,
    kCardHomeAddress,
    kCardHomeRemark,
    kCardBirthday,  // as the suite writes it, usually YYYYMMDD
    kCardFree1,
    kCardFree2,
    kCardFree3,
    kCardFree4,
    kCardFree5,
    kCardFree6,
    kCardSecret,     // "1" or empty
    kCardGreetings,  // the four greeting checks "n,n,n,n", or empty when all are 0
    kCardPortrait,   // image bytes
    kCardFieldCount
};

struct Card {
    uint16_t kind = 0x401;
    std::string uid;
    std::string field[kCardFieldCount];
    std::vector<std::string> categories;  // by name

    std::string& operator[](CardField which) { return field[which]; }
    const std::string& operator[](CardField which) const { return field[which]; }
};

}  // namespace interchange
}  // namespace varo
