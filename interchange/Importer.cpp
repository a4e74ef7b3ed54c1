// Files into tips.
#include "Importer.h"

#include "CalendarReader.h"
#include "CalendarTips.h"
#include "CardTips.h"
#include "ContentLine.h"
#include "TipKinds.h"
#include "VCardReader.h"

namespace varo {
namespace interchange {
namespace {

std::string Where(const std::string& label, long line) { return label + ": line " + std::to_string(line); }

// Whether the stream holds cards: its first text (after blanks and a byte
// order mark) says. Only the first few kilobytes are looked at.
bool HoldsCards(std::istream& in) {
    char head[4096];
    const std::streampos start = in.tellg();
    in.read(head, sizeof head);
    const std::string text(head, static_cast<size_t>(in.gcount()));
    in.clear();
    in.seekg(start);
    const size_t first = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    return first != std::string::npos && UpperAscii(text.substr(first, 11)) == "BEGIN:VCARD";
}

const char* KindFamily(uint16_t kind) {
    const TipKind* entry = FindTipKind(kind);
    return entry ? entry->name : "";
}

// Reads a file's items one by one: each read reports progress, a skipped
// one goes to `skip` with its reason, and a whole one to `take` with its
// place in the file.
template <typename Item, typename Reader, typename Skip, typename Take>
void ReadEach(Reader& reader, const std::function<void(uint64_t)>& progress, Skip skip, Take take) {
    for (;;) {
        Item item{};
        const ReadOutcome outcome = reader.Next(&item);
        if (outcome.kind == ReadOutcome::kEnd) return;
        progress(reader.BytesRead());
        if (outcome.kind == ReadOutcome::kSkipped) {
            skip(outcome.reason);
            continue;
        }
        take(item, outcome.line);
    }
}

}  // namespace

Importer::~Importer() {
    for (long fukuro : m_opened) m_kit.FukuroClose(m_db, fukuro);
}

bool Importer::Begin(std::string* problem) {
    if (!m_uids.Load(m_kit, m_db)) {
        *problem = "cannot read the UIDs of earlier imports from the database's settings";
        return false;
    }
    m_categoryNames = CategoryNames(m_kit, m_db);
    CSelectTips alarmed;
    if (m_kit.GetTipList(m_db, kAlarmFukuro, alarmed) == 0) {
        for (int i = 0; i < alarmed.GetSize(); ++i) m_alarmed.insert(static_cast<int32_t>(alarmed[i]));
    }
    return true;
}

bool Importer::Finish(std::string* problem) {
    for (long fukuro : m_opened) m_kit.FukuroClose(m_db, fukuro);
    m_opened.clear();
    if (m_uids.Save(m_kit, m_db)) return true;
    *problem = "cannot write the UIDs of this import to the database's settings";
    return false;
}

void Importer::ImportStream(std::istream& in, const std::string& label, const std::function<void(uint64_t)>& progress) {
    if (HoldsCards(in)) {
        ImportCards(in, label, progress);
    } else {
        ImportCalendar(in, label, progress);
    }
}

void Importer::Skip(const std::string& where, const std::string& why) { m_summary.skipped.push_back(where + ": " + why); }

long Importer::OpenFukuro(long fukuro) {
    if (m_opened.count(fukuro)) return 0;
    const long code = m_kit.FukuroLockOpen(m_db, fukuro);
    if (code == 0) m_opened.insert(fukuro);
    return code;
}

void Importer::Store(uint16_t kind, const std::string& uid, const std::string& where, const Fill& fill) {
    long tip = uid.empty() ? 0 : m_uids.TipOf(uid);
    CPIMTime entryDay;
    bool hadEntryDay = false;
    if (tip != 0) {
        unsigned short stored = 0;
        if (m_kit.GetTip(m_db, 0, tip) != 0) {
            m_uids.Forget(uid);
            tip = 0;
        } else if (m_kit.GetTipFlag(&stored) != 1 || std::string(KindFamily(stored)) != KindFamily(kind) ||
                   !*KindFamily(kind)) {
            return Skip(where, "its UID names tip " + std::to_string(tip) + ", which is of another kind");
        } else {
            kind = stored;
            hadEntryDay = m_kit.GetEntryDay(entryDay) == 1;
        }
    }
    const TipKind* entry = FindTipKind(kind);
    const long fukuro = tip != 0 ? 0 : m_fukuro != 0 ? m_fukuro : entry->homeFukuro;
    if (fukuro != 0) {
        const long code = OpenFukuro(fukuro);
        if (code != 0) return Skip(where, "cannot open fukuro " + std::to_string(fukuro) + ": code " + std::to_string(code));
    }
    if (m_kit.SetTipFlag(kind) != 1) return Skip(where, "out of memory");
    m_kit.SetTipID(tip);
    std::string problem;
    bool entryDaySet = false;
    bool alarmOn = false;
    if (!fill(&problem, &entryDaySet, &alarmOn)) return Skip(where, problem);
    if (!entryDaySet && hadEntryDay) {
        m_kit.SetEntryDay(entryDay);
        entryDaySet = true;
    }
    long stored = tip;
    const long code = entryDaySet ? m_kit.PutTipNoEntryDay(m_db, fukuro, &stored) : m_kit.PutTip(m_db, fukuro, &stored);
    if (code != 0) return Skip(where, "the engine refused the tip: code " + std::to_string(code));
    if (IsScheduleKind(kind)) KeepAlarmFukuroInStep(stored, alarmOn);
    m_uids.Remember(uid, stored);
    ++(tip != 0 ? m_summary.updated : m_summary.added);
}

// Schedules whose alarm is on also lie in the alarm fukuro, where the alarm
// application looks; an update that turns the alarm off takes it out.
void Importer::KeepAlarmFukuroInStep(long tip, bool alarmOn) {
    const bool member = m_alarmed.count(tip) != 0;
    if (alarmOn == member) return;
    CSelectTips one;
    one.Add(static_cast<DWORD>(tip));
    if (alarmOn && m_kit.PutTipToFukuro(m_db, kAlarmFukuro, one) == 0) m_alarmed.insert(tip);
    if (!alarmOn && m_kit.RemoveTipFromFukuro(m_db, kAlarmFukuro, one) == 0) m_alarmed.erase(tip);
}

void Importer::ImportCalendar(std::istream& in, const std::string& label,
                              const std::function<void(uint64_t)>& progress) {
    CalendarReader reader(in);
    ReadEach<icalcomponent*>(
        reader, progress, [&](const std::string& why) { Skip(label, why); },
        [&](icalcomponent* component, long line) {
            const std::string where = Where(label, line);
            ComponentImport result;
            Store(KindOfComponent(component), ComponentUid(component), where,
                  [&](std::string* problem, bool* entryDaySet, bool* alarmOn) {
                      const bool ok = ComponentToTip(m_kit, component, reader.Zones(), &result);
                      *problem = result.problem;
                      *entryDaySet = result.hasEntryDay;
                      *alarmOn = result.alarmOn;
                      return ok;
                  });
            for (const std::string& note : result.notes) m_summary.notes.push_back(where + ": " + note);
            icalcomponent_free(component);
        });
}

void Importer::ImportCards(std::istream& in, const std::string& label, const std::function<void(uint64_t)>& progress) {
    VCardReader reader(in);
    ReadEach<Card>(
        reader, progress, [&](const std::string& why) { Skip(label, why); },
        [&](const Card& card, long line) {
            const std::string where = Where(label, line);
            std::vector<std::string> unknown;
            Store(card.kind, card.uid, where, [&](std::string* problem, bool*, bool*) {
                return WriteCard(m_kit, card, m_categoryNames, problem, &unknown);
            });
            for (const std::string& name : unknown) {
                m_summary.notes.push_back(where + ": category \"" + name +
                                          "\" not kept (the database does not name it, or the card has three already)");
            }
        });
}

}  // namespace interchange
}  // namespace varo
