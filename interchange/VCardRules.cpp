// The vCard property table. Rows of one property go from the most specific
// TYPE set to the least, so that the first match is the right role.
#include "VCardRules.h"

#include "ContentLine.h"

namespace varo {
namespace interchange {
namespace {

const CardField kNone = kCardFieldCount;

const VCardRule kRules[] = {
    {"UID", "", "", ValueShape::kUid, kNone, kNone, kAllVersions},
    {"X-VARO-KIND", "", "", ValueShape::kKind, kNone, kNone, kAllVersions},
    {"N", "", "", ValueShape::kName, kCardName, kNone, kAllVersions},
    {"FN", "", "", ValueShape::kFormattedName, kCardName, kNone, kAllVersions},
    {"X-PHONETIC-LAST-NAME", "", "", ValueShape::kReadingLast, kCardNameReading, kNone, kV30 | kV40},
    {"X-PHONETIC-FIRST-NAME", "", "", ValueShape::kReadingFirst, kCardNameReading, kNone, kV30 | kV40},
    {"SOUND", "X-IRMC-N", "X-IRMC-N", ValueShape::kIrmcReading, kCardNameReading, kNone, kV21},
    {"ORG", "", "", ValueShape::kOrganization, kCardOffice, kCardSection, kAllVersions},
    {"X-PHONETIC-ORGANIZATION", "", "", ValueShape::kText, kCardOfficeReading, kNone, kAllVersions},
    {"TITLE", "", "", ValueShape::kText, kCardPosition, kNone, kAllVersions},
    {"TEL", "WORK,FAX", "WORK,FAX", ValueShape::kLines, kCardOfficeFax, kNone, kAllVersions},
    {"TEL", "HOME,FAX", "FAX", ValueShape::kLines, kCardHomeFax, kNone, kAllVersions},
    {"TEL", "WORK,CELL", "WORK,CELL", ValueShape::kLines, kCardOfficeCellular, kNone, kAllVersions},
    {"TEL", "CELL", "CELL", ValueShape::kLines, kCardHomeCellular, kNone, kAllVersions},
    {"TEL", "WORK,PAGER", "WORK,PAGER", ValueShape::kLines, kCardOfficePager, kNone, kAllVersions},
    {"TEL", "HOME,PAGER", "PAGER", ValueShape::kLines, kCardHomePager, kNone, kAllVersions},
    {"TEL", "WORK,VOICE,X-VARO-SECOND", "WORK,X-VARO-SECOND", ValueShape::kLines, kCardOfficeTel2, kNone,
     kAllVersions},
    {"TEL", "WORK,VOICE", "WORK", ValueShape::kLines, kCardOfficeTel1, kNone, kAllVersions},
    {"TEL", "HOME,VOICE", "", ValueShape::kLines, kCardHomeTel, kNone, kAllVersions},
    {"EMAIL", "INTERNET,WORK", "WORK", ValueShape::kLines, kCardOfficeEmail, kNone, kAllVersions},
    {"EMAIL", "INTERNET,HOME", "", ValueShape::kLines, kCardHomeEmail, kNone, kAllVersions},
    {"ADR", "WORK", "WORK", ValueShape::kAddress, kCardOfficeAddress, kCardOfficeZip, kAllVersions},
    {"ADR", "HOME", "", ValueShape::kAddress, kCardHomeAddress, kCardHomeZip, kAllVersions},
    {"X-VARO-OFFICE-NOTE", "", "", ValueShape::kText, kCardOfficeRemark, kNone, kAllVersions},
    {"NOTE", "", "", ValueShape::kText, kCardHomeRemark, kNone, kAllVersions},
    {"BDAY", "", "", ValueShape::kBirthday, kCardBirthday, kNone, kAllVersions},
    {"X-VARO-BIRTHDAY", "", "", ValueShape::kText, kCardBirthday, kNone, 0},
    {"PHOTO", "", "", ValueShape::kPhoto, kCardPortrait, kNone, kAllVersions},
    {"CATEGORIES", "", "", ValueShape::kCategories, kNone, kNone, kAllVersions},
    {"CLASS", "", "", ValueShape::kSecret, kCardSecret, kNone, kAllVersions},
    {"X-VARO-GREETINGS", "", "", ValueShape::kText, kCardGreetings, kNone, kAllVersions},
    {"X-VARO-FREE1", "", "", ValueShape::kText, kCardFree1, kNone, kAllVersions},
    {"X-VARO-FREE2", "", "", ValueShape::kText, kCardFree2, kNone, kAllVersions},
    {"X-VARO-FREE3", "", "", ValueShape::kText, kCardFree3, kNone, kAllVersions},
    {"X-VARO-FREE4", "", "", ValueShape::kText, kCardFree4, kNone, kAllVersions},
    {"X-VARO-FREE5", "", "", ValueShape::kText, kCardFree5, kNone, kAllVersions},
    {"X-VARO-FREE6", "", "", ValueShape::kText, kCardFree6, kNone, kAllVersions},
};

bool HasAllTypes(const ContentLine& line, const char* types) {
    std::string type;
    for (const char* p = types;; ++p) {
        if (*p == ',' || *p == '\0') {
            if (!type.empty() && !line.HasType(type.c_str())) return false;
            type.clear();
            if (*p == '\0') return true;
        } else {
            type += *p;
        }
    }
}

}  // namespace

unsigned VersionBit(VCardVersion version) {
    switch (version) {
        case VCardVersion::k21: return kV21;
        case VCardVersion::k30: return kV30;
        case VCardVersion::k40: return kV40;
    }
    return 0;
}

const VCardRule* VCardRulesBegin() { return kRules; }
const VCardRule* VCardRulesEnd() { return kRules + sizeof kRules / sizeof kRules[0]; }

const VCardRule* FindVCardRule(const ContentLine& line) {
    for (const VCardRule* rule = VCardRulesBegin(); rule != VCardRulesEnd(); ++rule) {
        if (line.name == rule->property && HasAllTypes(line, rule->requiredTypes)) return rule;
    }
    return nullptr;
}

}  // namespace interchange
}  // namespace varo
