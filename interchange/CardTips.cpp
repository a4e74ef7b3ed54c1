// The address-card accessor table and the fields that need more than one
// accessor (names with readings, categories, the portrait).
#include "CardTips.h"

#include <cstdlib>
#include <cstring>

#include "KitText.h"

namespace varo {
namespace interchange {
namespace {

const long kPreferenceFukuro = 0x3014;
const unsigned short kPreferenceKind = 0x900;
const size_t kCategoryRecord = 32;
const size_t kCategoryCount = 100;
const size_t kBirthdayMaxBytes = 14;
const size_t kFieldMaxBytes = 65535;

using TextSetter = int (CVAROObj::*)(const CString&);
using TextGetter = int (CVAROObj::*)(CString&);

struct TextAccessor {
    CardField field;
    const char* label;
    TextSetter set;
    TextGetter get;
};

// The phone getters of one list read the list afresh only in the first
// getter of each list (the others reuse what it read), so every list
// begins with its always-refreshing getter.
const TextAccessor kTextAccessors[] = {
    {kCardSection, "section", &CVAROObj::SetSection, &CVAROObj::GetSection},
    {kCardPosition, "position", &CVAROObj::SetPosition, &CVAROObj::GetPosition},
    {kCardOfficeTel1, "office phone", &CVAROObj::SetOfficeTel1, &CVAROObj::GetOfficeTel1},
    {kCardOfficeTel2, "second office phone", &CVAROObj::SetOfficeTel2, &CVAROObj::GetOfficeTel2},
    {kCardOfficeCellular, "office mobile", &CVAROObj::SetOfficeCellular, &CVAROObj::GetOfficeCellular},
    {kCardOfficePager, "office pager", &CVAROObj::SetOfficePager, &CVAROObj::GetOfficePager},
    {kCardHomeTel, "home phone", &CVAROObj::SetPersonalTel, &CVAROObj::GetPersonalTel},
    {kCardHomeCellular, "mobile", &CVAROObj::SetPersonalCellular, &CVAROObj::GetPersonalCellular},
    {kCardHomePager, "pager", &CVAROObj::SetPersonalPager, &CVAROObj::GetPersonalPager},
    {kCardOfficeFax, "office fax", &CVAROObj::SetOfficeFax, &CVAROObj::GetOfficeFax},
    {kCardHomeFax, "home fax", &CVAROObj::SetPersonalFax, &CVAROObj::GetPersonalFax},
    {kCardOfficeEmail, "office e-mail", &CVAROObj::SetOfficeEmailAddress, &CVAROObj::GetOfficeEmailAddress},
    {kCardHomeEmail, "home e-mail", &CVAROObj::SetPersonalEmailAddress, &CVAROObj::GetPersonalEmailAddress},
    {kCardOfficeZip, "office postal code", &CVAROObj::SetOfficeZip, &CVAROObj::GetOfficeZip},
    {kCardOfficeAddress, "office address", &CVAROObj::SetOfficeAddress, &CVAROObj::GetOfficeAddress},
    {kCardOfficeRemark, "office remark", &CVAROObj::SetOfficeRemark, &CVAROObj::GetOfficeRemark},
    {kCardHomeZip, "postal code", &CVAROObj::SetPersonalZip, &CVAROObj::GetPersonalZip},
    {kCardHomeAddress, "address", &CVAROObj::SetPersonalAddress, &CVAROObj::GetPersonalAddress},
    {kCardHomeRemark, "remark", &CVAROObj::SetPersonalRemark, &CVAROObj::GetPersonalRemark},
    {kCardFree1, "free field 1", &CVAROObj::SetFree1, &CVAROObj::GetFree1},
    {kCardFree2, "free field 2", &CVAROObj::SetFree2, &CVAROObj::GetFree2},
    {kCardFree3, "free field 3", &CVAROObj::SetFree3, &CVAROObj::GetFree3},
    {kCardFree4, "free field 4", &CVAROObj::SetFree4, &CVAROObj::GetFree4},
    {kCardFree5, "free field 5", &CVAROObj::SetFree5, &CVAROObj::GetFree5},
    {kCardFree6, "free field 6", &CVAROObj::SetFree6, &CVAROObj::GetFree6},
};

// Names and their readings: the kit pairs each name setter with the reading
// setter after it, so they are written together (WriteNames).
const TextAccessor kNameAccessors[] = {
    {kCardName, "name", &CVAROObj::SetName, &CVAROObj::GetName},
    {kCardNameReading, "name reading", &CVAROObj::SetNameYomi, &CVAROObj::GetNameYomi},
    {kCardOffice, "office name", &CVAROObj::SetOfficeName, &CVAROObj::GetOfficeName},
    {kCardOfficeReading, "office reading", &CVAROObj::SetOfficeNameYomi, &CVAROObj::GetOfficeNameYomi},
};

using NumberSetter = int (CVAROObj::*)(int);
using NumberGetter = int (CVAROObj::*)(int*);

const NumberSetter kGreetingSetters[] = {&CVAROObj::SetShochuumimai, &CVAROObj::SetNenga, &CVAROObj::SetChuugen,
                                         &CVAROObj::SetSeibo};
const NumberGetter kGreetingGetters[] = {&CVAROObj::GetShochuumimai, &CVAROObj::GetNenga, &CVAROObj::GetChuugen,
                                         &CVAROObj::GetSeibo};
const NumberSetter kCategorySetters[] = {&CVAROObj::SetCategory1, &CVAROObj::SetCategory2, &CVAROObj::SetCategory3};
const NumberGetter kCategoryGetters[] = {&CVAROObj::GetCategory1, &CVAROObj::GetCategory2, &CVAROObj::GetCategory3};

std::string Utf8(const CString& sjis) {
    std::string text;
    FromKitText(sjis.Bytes(), &text);
    return text;
}

// The field's text in Shift-JIS; false with the problem named.
bool KitText(const std::string& utf8, const char* label, CString* out, std::string* problem) {
    std::string sjis;
    BadCharacter bad;
    if (!ToKitText(utf8, &sjis, &bad)) {
        *problem = std::string(label) + ": the character " + bad.character + " at byte " +
                   std::to_string(bad.offset) + " has no Shift-JIS form";
        return false;
    }
    if (sjis.size() >= kFieldMaxBytes) {
        *problem = std::string(label) + ": longer than a field holds";
        return false;
    }
    *out = CString(std::move(sjis));
    return true;
}

bool WriteNames(CVAROObj& kit, const Card& card, std::string* problem) {
    CString texts[sizeof kNameAccessors / sizeof kNameAccessors[0]];
    CString* text = texts;
    for (const TextAccessor& accessor : kNameAccessors) {
        if (!KitText(card[accessor.field], accessor.label, text++, problem)) return false;
    }
    // In table order: each name, then the reading that completes it.
    text = texts;
    for (const TextAccessor& accessor : kNameAccessors) (kit.*accessor.set)(*text++);
    return true;
}

void WriteGreetings(CVAROObj& kit, const std::string& text) {
    const char* p = text.c_str();
    for (NumberSetter set : kGreetingSetters) {
        const long value = strtol(p, const_cast<char**>(&p), 10);
        (kit.*set)(value >= 0 && value <= 3 ? static_cast<int>(value) : 0);
        if (*p == ',') ++p;
    }
}

std::string ReadGreetings(CVAROObj& kit) {
    std::string text;
    bool any = false;
    for (NumberGetter get : kGreetingGetters) {
        int value = 0;
        (kit.*get)(&value);
        any = any || value != 0;
        text += (text.empty() ? "" : ",") + std::to_string(value);
    }
    return any ? text : std::string();
}

}  // namespace

std::vector<std::string> CategoryNames(CVAROObj& kit, long db) {
    std::vector<std::string> names(kCategoryCount);
    CSelectTips tips;
    if (kit.GetTipList(db, kPreferenceFukuro, tips) != 0) return names;
    for (int i = 0; i < tips.GetSize(); ++i) {
        unsigned short kind = 0;
        CString which;
        if (kit.GetTip(db, 0, static_cast<int32_t>(tips[i])) != 0 || kit.GetTipFlag(&kind) != 1 ||
            kind != kPreferenceKind || kit.GetName(which) != 1 || which != "Category") {
            continue;
        }
        void* data = nullptr;
        unsigned short length = 0;
        if (kit.GetData(&data, &length) != 1) return names;
        const char* records = static_cast<const char*>(data);
        for (size_t record = 0; record < kCategoryCount && (record + 1) * kCategoryRecord <= length; ++record) {
            const char* name = records + record * kCategoryRecord + 4;
            names[record] = Utf8(CString(std::string(name, strnlen(name, kCategoryRecord - 4))));
        }
        return names;
    }
    return names;
}

void ReadCard(CVAROObj& kit, const std::vector<std::string>& categoryNames, Card* card) {
    *card = Card();
    kit.GetTipFlag(&card->kind);
    CString text;
    for (const TextAccessor& accessor : kNameAccessors) {
        (kit.*accessor.get)(text);
        (*card)[accessor.field] = Utf8(text);
    }
    for (const TextAccessor& accessor : kTextAccessors) {
        (kit.*accessor.get)(text);
        (*card)[accessor.field] = Utf8(text);
    }
    kit.GetBirthday(text);
    std::string birthday = Utf8(text);
    while (!birthday.empty() && birthday.back() == ' ') birthday.pop_back();
    (*card)[kCardBirthday] = birthday;
    int secret = 0;
    kit.GetSecret(&secret);
    (*card)[kCardSecret] = secret == 1 ? "1" : "";
    (*card)[kCardGreetings] = ReadGreetings(kit);
    void* data = nullptr;
    unsigned short length = 0;
    if (kit.GetPortrait(&data, &length) == 1) (*card)[kCardPortrait].assign(static_cast<const char*>(data), length);
    for (NumberGetter get : kCategoryGetters) {
        int number = 0;
        if ((kit.*get)(&number) == 1 && number > 0 && static_cast<size_t>(number) < categoryNames.size() &&
            !categoryNames[number].empty()) {
            card->categories.push_back(categoryNames[number]);
        }
    }
}

bool WriteCard(CVAROObj& kit, const Card& card, const std::vector<std::string>& categoryNames, std::string* problem,
               std::vector<std::string>* unknown) {
    if (!WriteNames(kit, card, problem)) return false;
    CString text;
    for (const TextAccessor& accessor : kTextAccessors) {
        if (!KitText(card[accessor.field], accessor.label, &text, problem)) return false;
        (kit.*accessor.set)(text);
    }
    if (!KitText(card[kCardBirthday], "birthday", &text, problem)) return false;
    if (static_cast<size_t>(text.GetLength()) > kBirthdayMaxBytes) {
        *problem = "birthday: more than 14 bytes";
        return false;
    }
    kit.SetBirthday(text);
    kit.SetSecret(card[kCardSecret] == "1" ? 1 : 0);
    WriteGreetings(kit, card[kCardGreetings]);
    const std::string& portrait = card[kCardPortrait];
    if (portrait.size() > kFieldMaxBytes) {
        *problem = "portrait: larger than 65535 bytes";
        return false;
    }
    if (!portrait.empty()) kit.SetPortrait(const_cast<char*>(portrait.data()), static_cast<unsigned short>(portrait.size()));
    size_t next = 0;
    for (const std::string& name : card.categories) {
        size_t number = 1;
        while (number < categoryNames.size() && categoryNames[number] != name) ++number;
        if (number >= categoryNames.size() || next >= sizeof kCategorySetters / sizeof kCategorySetters[0]) {
            unknown->push_back(name);
            continue;
        }
        (kit.*kCategorySetters[next++])(static_cast<int>(number));
    }
    return true;
}

}  // namespace interchange
}  // namespace varo
