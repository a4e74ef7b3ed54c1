// The fields a person may set on a tip: one table (name, kinds, value form,
// setter) that drives `varo set`, the --FIELD options of `varo add` and their
// help.
//
// A setter changes only the kit's current tip; the caller stores it. Setters
// that the kit splits into steps (a card's name and its reading, a period's
// start and end, the phone lists by role) do all the steps here, keeping the
// other half of what the tip holds, so each field can be set on its own.
#pragma once

#include <string>

#include "Arguments.h"
#include "Kinds.h"
#include "VAROObj.h"

namespace varo {
namespace tool {

enum class ValueForm {
    Text,    // any text; LF line breaks separate the values of a list
    Flag,    // 1/0, yes/no, on/off
    Number,  // a whole number between the field's bounds
    Time,    // a date, or a date and time
    Colour,  // #RRGGBB, or the stored 32-bit value (0x00BBGGRR)
};

struct FieldValue {
    CString text;
    long number = 0;
    TimeValue time;
    bool clear = false;  // "none": the field is emptied
};

struct SetOutcome {
    bool stored;
    std::string why;  // when not stored
};

using FieldSetter = SetOutcome (*)(CVAROObj& kit, const FieldValue& value);

struct SettableField {
    const char* name;
    KindSet kinds;
    ValueForm form;
    long min;
    long max;
    bool clearable;  // accepts "none"
    FieldSetter set;
    const char* help;
};

const SettableField* SettableFieldsBegin();
const SettableField* SettableFieldsEnd();

// The field of that name, or null.
const SettableField* FindSettableField(const std::string& name);

// Reads a typed value for the field; false with the reason in *why.
bool ParseFieldValue(const SettableField& field, const std::string& text, FieldValue* value, std::string* why);

// How the field's values are typed, for help: "DATE[ TIME] or none".
std::string ValueFormText(const SettableField& field);

// Parses and sets one field on the current tip of the given kind; prints
// what went wrong and gives an exit code of Results.h.
int ApplyField(CVAROObj& kit, uint16_t kind, const SettableField& field, const std::string& text);

}  // namespace tool
}  // namespace varo
