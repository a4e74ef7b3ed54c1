// The phone, fax and e-mail lists of address cards.
//
// Each list is one text field whose entries are separated by ","; an entry
// is a value followed by a suffix naming its role: ":f" (office), ":h"
// (home), ":fh" (office mobile) and so on in phone and fax lists, "(f)" and
// "(h)" in e-mail lists. The suffix runs from the entry's last unescaped
// marker (":" or "(") to its end. Inside values, the list's reserved
// single-byte characters are written with a "\" before them; both bytes of a
// two-byte character are taken as they are. An entry without a marker is
// never written; it is skipped when read and dropped when the list is next
// edited.
//
// Pure functions on texts; safe from any thread. A list is read up to its
// terminator or the end of the view it is given, whichever comes first, and
// a lead byte or escape at the very end of a list never reaches beyond it.
// Internal to the kit.
#pragma once

#include <string>
#include <string_view>

namespace varo {

// How one kind of list writes its entries.
struct ListSyntax {
    char marker;          // where a suffix begins
    const char* escaped;  // the single-byte characters escaped inside values
};

// The list with every entry whose suffix is `suffix` taken out and, when
// `value` is not empty, one entry per line of `value` (lines split at CR LF,
// empty lines skipped; a value of line breaks only gives one empty value)
// appended behind the other roles' entries, which keep their order. No
// terminator.
std::string ReplaceRoleEntries(const ListSyntax& syntax, std::string_view list, std::string_view value,
                               std::string_view suffix);

// The values of the entries whose suffix is `suffix`, unescaped and joined
// by CR LF; false, leaving *values empty, when no entry has that suffix.
bool PickRoleValues(const ListSyntax& syntax, std::string_view list, std::string_view suffix,
                    std::string* values);

}  // namespace varo
