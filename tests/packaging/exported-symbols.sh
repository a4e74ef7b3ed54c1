#!/bin/sh
# The shared libraries export their public API and nothing else: every
# symbol libvarokit defines belongs to a public class, one of the five
# message integers or a platform call the public headers declare; every
# public member of CVAROObj that VAROObj.h declares is there; and
# libvarokit_dialogs exports DBSelect alone and takes the kit and the
# platform from libvarokit.
#
#   exported-symbols.sh LIBVAROKIT VAROOBJ_H [LIBVAROKIT_DIALOGS DIALOGS_ARCHIVE]
#
# DIALOGS_ARCHIVE, the chooser's static objects, tells its inline copies
# (weak there; an unoptimised build keeps them out of line) from code of
# its own.
set -eu
kit=$1
header=$2
dialogs=${3:-}
dialogs_archive=${4:-}

# The demangled names of the dynamic symbols a library defines, without
# their version; the version definitions themselves are left out.
defined_symbols() {
  readelf --dyn-syms --wide "$1" |
    awk '$1 ~ /^[0-9]+:$/ && $7 != "UND" && $7 != "ABS" && $4 != "SECTION" { print $8 }' |
    c++filt | sed 's/@.*//' | sort -u
}

classes='CVAROObj|CSelectTips|CTipIDList|CPIMTime|CPIMTimeSpan|CString|CObject|CTime|CWnd'
platform_calls='Cp932ToUtf8|Cp932ToUtf16|Utf8ToCp932|Utf16ToCp932|GlobalAlloc|GlobalFree|GlobalLock|GlobalUnlock|GlobalSize|GlobalReAlloc|RegOpenKeyEx|RegCreateKeyEx|RegQueryValueEx|RegSetValueEx|RegDeleteValue|RegCloseKey|GetSystemTime|FileTimeToSystemTime|SystemTimeToFileTime|FileTimeToLocalFileTime|IsWindow|PostMessage|SendMessage|PumpMessages|AddPumpHook|RemovePumpHook|RegisterWindowMessage'
public="^(($classes)::|(typeinfo|typeinfo name|vtable) for ($classes|CDWordArray|CPtrArray)\$|WM_ON_ADVISE(DATA|DBNAME|DBCOLOR|CATEGORY|FREE)\$|HKEY_CURRENT_USER\$|operator(\\+|==|!=|<|>|<=|>=)\\(.*CString|($platform_calls)\\()"

symbols=$(defined_symbols "$kit")
failed=0

stray=$(printf '%s\n' "$symbols" | grep -Ev "$public" || true)
if [ -n "$stray" ]; then
  echo "exported but not public API:"
  printf '%s\n' "$stray" | sed 's/^/  /'
  failed=1
fi

# Each public member of CVAROObj, each message integer and each platform call.
members=$(sed -n '/^class VAROKIT_API CVAROObj/,/^protected:/p' "$header" |
  sed -n 's/^ *\(int\|long\|void\) \([A-Za-z0-9]*\)(.*/\2/p' | grep -v '^DBSelect$' | sort -u)
[ -n "$members" ] || { echo "no members of CVAROObj found in $header"; exit 1; }
for member in $members; do
  printf '%s\n' "$symbols" | grep -q "^CVAROObj::$member(" || { echo "missing: CVAROObj::$member"; failed=1; }
done
for name in WM_ON_ADVISEDATA WM_ON_ADVISEDBNAME WM_ON_ADVISEDBCOLOR WM_ON_ADVISECATEGORY WM_ON_ADVISEFREE \
    $(echo "$platform_calls" | tr '|' ' '); do
  printf '%s\n' "$symbols" | grep -Eq "^$name(\\(|\$)" || { echo "missing: $name"; failed=1; }
done

if [ -n "$dialogs" ]; then
  # One copy of the platform's state in a program: the chooser takes the
  # kit and the platform calls from libvarokit and holds none of its own.
  readelf -d "$dialogs" | grep -q 'NEEDED.*\[libvarokit\.so\.1\]' || { echo "libvarokit_dialogs does not load libvarokit"; failed=1; }
  inline_copies=$(mktemp)
  trap 'rm -f "$inline_copies"' EXIT
  if [ -n "$dialogs_archive" ]; then
    nm --defined-only -C "$dialogs_archive" 2>/dev/null |
      awk '$2 == "W" || $2 == "w" { $1 = ""; $2 = ""; sub(/^  /, ""); print }' | sort -u > "$inline_copies"
  fi
  own_copies=$(nm --defined-only -C "$dialogs" | awk '{ $1 = ""; $2 = ""; sub(/^  /, ""); print }' |
    grep -E "^(CString::|CWnd::|($platform_calls)\(|CVAROObj::[^D])" | grep -vxF -f "$inline_copies" || true)
  if [ -n "$own_copies" ]; then
    echo "libvarokit_dialogs holds its own copy of:"
    printf '%s\n' "$own_copies" | sed 's/^/  /'
    failed=1
  fi
  dialog_symbols=$(defined_symbols "$dialogs")
  if [ "$dialog_symbols" != "CVAROObj::DBSelect(CDWordArray&, unsigned int, unsigned int)" ]; then
    echo "libvarokit_dialogs exports:"
    printf '%s\n' "$dialog_symbols" | sed 's/^/  /'
    failed=1
  fi
fi

echo "libvarokit exports $(printf '%s\n' "$symbols" | wc -l) symbols"
exit $failed
