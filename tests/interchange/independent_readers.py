#!/usr/bin/env python3
"""Every file varo exports, read by parsers that are not ours.

The samples (as other programs write them, and one with every kind of the
suite) are imported into a fresh database in a sandbox; the database is
exported as iCalendar and as vCard 3.0, 4.0 and 2.1; then Python's
`icalendar` and `vobject` read each file and must find every tip in it
with its UID, its texts and its times.
"""
import datetime
import os
import re
import subprocess
import sys
import tempfile

import icalendar
import vobject

VARO, SAMPLES = sys.argv[1], sys.argv[2]
FAILURES = []


def check(condition, message):
    if not condition:
        FAILURES.append(message)


def run(env, *args):
    result = subprocess.run([VARO, *args], env=env, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("varo %s failed:\n%s%s" % (" ".join(args), result.stdout, result.stderr))
    return result.stdout


def exported_count(output):
    return int(re.search(r"exported (\d+) tip", output).group(1))


LONG_SUMMARY = "\u4f1a\u8b70\u5ba4\u306e\u4e88\u7d04" * 10 + "; \u8cc7\u6599, \u4e88\u5099\\\u63a7\u3048"  # 会議室の予約…; 資料, 予備\控え
LONG_DESCRIPTION = "line one; still one\nline two, with a backslash \\"


def check_folding(path):
    """Every physical line ends in CR LF, holds at most 75 octets and is cut between characters."""
    data = open(path, "rb").read()
    check(data.endswith(b"\r\n"), "%s: the last line ends in CR LF" % path)
    for number, line in enumerate(data.split(b"\r\n")[:-1], 1):
        check(b"\n" not in line and b"\r" not in line, "%s: line %d has a bare line break" % (path, number))
        check(len(line) <= 75, "%s: line %d has %d octets" % (path, number, len(line)))
        check(not line.startswith(b" ") or (len(line) > 1 and line[1] & 0xC0 != 0x80),
              "%s: a character is cut before line %d" % (path, number))


def check_calendar(path, count):
    check_folding(path)
    text = open(path, encoding="utf-8").read()
    calendar = icalendar.Calendar.from_ical(text)
    items = [c for c in calendar.walk() if c.name in ("VEVENT", "VTODO", "VJOURNAL")]
    check(len(items) == count, "icalendar: %d components, varo wrote %d" % (len(items), count))
    zones = {str(z["TZID"]) for z in calendar.walk("VTIMEZONE")}
    uids = set()
    for item in items:
        uid = str(item.get("UID", ""))
        check(uid and uid not in uids, "icalendar: missing or repeated UID %r" % uid)
        uids.add(uid)
        for name in ("DTSTART", "DTEND", "DUE"):
            if name in item:
                value = item[name]
                check(isinstance(value.dt, (datetime.date, datetime.datetime)), "icalendar: %s of %s" % (name, uid))
                tzid = value.params.get("TZID")
                check(tzid is None or tzid in zones, "icalendar: %s of %s names an unknown zone" % (name, uid))
                if isinstance(value.dt, datetime.datetime):
                    check(value.dt.tzinfo is not None, "icalendar: %s of %s has no zone" % (name, uid))
    check("plan-101" in uids and "todo-300" in uids and "memo-502" in uids, "icalendar: sample UIDs kept")
    seen = [str(i["SUMMARY"]) for i in items if "SUMMARY" in i]
    check("\u6253\u3061\u5408\u308f\u305b" in seen, "icalendar: the Japanese summary")  # 打ち合わせ
    long_text = [i for i in items if str(i.get("UID")) == "long-text-201"]
    check(len(long_text) == 1 and str(long_text[0]["SUMMARY"]) == LONG_SUMMARY,
          "icalendar: the long folded and escaped summary")
    check(len(long_text) == 1 and str(long_text[0]["DESCRIPTION"]) == LONG_DESCRIPTION,
          "icalendar: the escaped description")

    parsed = list(vobject.readComponents(text))
    check(len(parsed) == 1, "vobject: one calendar")
    vitems = [c for c in parsed[0].getChildren() if c.name in ("VEVENT", "VTODO", "VJOURNAL")]
    check(len(vitems) == count, "vobject: %d components, varo wrote %d" % (len(vitems), count))
    long_text = [i for i in vitems if i.uid.value == "long-text-201"]
    check(len(long_text) == 1 and long_text[0].summary.value == LONG_SUMMARY,
          "vobject: the long folded and escaped summary")
    check(len(long_text) == 1 and long_text[0].description.value == LONG_DESCRIPTION,
          "vobject: the escaped description")
    for item in vitems:
        if hasattr(item, "dtstart") and isinstance(item.dtstart.value, datetime.datetime):
            check(item.dtstart.value.tzinfo is not None, "vobject: DTSTART of %s has no zone" % item.uid.value)
        if item.uid.value == "040000008200E00074C5B7101A82E00800000000":
            start = item.dtstart.value.astimezone(datetime.timezone.utc)
            check(start == datetime.datetime(2030, 3, 10, 6, 0, tzinfo=datetime.timezone.utc),
                  "vobject: the Outlook meeting starts at 06:00 UTC, not %s" % start)


def check_cards(path, count, version, encoding):
    if version != "2.1":
        check_folding(path)
    text = open(path, encoding=encoding).read()
    cards = list(vobject.readComponents(text, allowQP=True))
    check(len(cards) == count, "vobject %s: %d cards, varo wrote %d" % (version, len(cards), count))
    names = set()
    for card in cards:
        check(card.version.value == version, "vobject: VERSION %s" % card.version.value)
        check(hasattr(card, "uid"), "vobject %s: a card without UID" % version)
        if hasattr(card, "fn"):
            names.add(card.fn.value)
        for tel in card.contents.get("tel", []):
            check(re.fullmatch(r"[0-9+() -]+", tel.value) is not None, "vobject %s: TEL %r" % (version, tel.value))
    check("\u5c71\u7530 \u592a\u90ce" in names, "vobject %s: the phone card's name (%s)" % (version, names))  # 山田 太郎
    check("Ichiro Suzuki" in names, "vobject %s: Apple's card" % version)
    if version != "2.1":
        # vCard 2.1's bare parameters are outside the RFC 5545 grammar.
        parsed = icalendar.cal.Component.from_ical(text, multiple=True)
        check(len(parsed) == count, "icalendar %s: %d cards, varo wrote %d" % (version, len(parsed), count))
        check(any(str(c.get("FN")) == "Ichiro Suzuki" for c in parsed), "icalendar %s: Apple's card" % version)


def main():
    with tempfile.TemporaryDirectory(dir="/dev/shm" if os.access("/dev/shm", os.W_OK) else None) as root:
        env = {key: value for key, value in os.environ.items() if not key.startswith(("VARO_", "XDG_"))}
        os.makedirs(root + "/run", mode=0o700)
        env.update(VARO_DATA_DIR=root + "/data", XDG_CONFIG_HOME=root + "/config", XDG_RUNTIME_DIR=root + "/run",
                   XDG_DATA_HOME=root + "/share", HOME=root, TZ="JST-9")
        run(env, "db", "create", "readers")
        samples = sorted(os.path.join(SAMPLES, name) for name in os.listdir(SAMPLES))
        imported = run(env, "import", "readers", *samples)
        check(" 0 skipped" in imported, "the samples import without skips:\n" + imported)
        count = exported_count(run(env, "export", "readers", "-o", root + "/all.ics"))
        check_calendar(root + "/all.ics", count)
        for form, version, encoding in (("vcf", "3.0", "utf-8"), ("vcf4", "4.0", "utf-8"), ("vcf21", "2.1", "ascii")):
            path = "%s/cards-%s.vcf" % (root, form)
            cards = exported_count(run(env, "export", "readers", "-o", path, "--format", form))
            check_cards(path, cards, version, encoding)
    for failure in FAILURES:
        print("FAIL:", failure)
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
