// Tips into files.
#include "Exporter.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "CalendarTips.h"
#include "CalendarTime.h"
#include "CalendarWriter.h"
#include "CardTips.h"
#include "UidMap.h"
#include "VCardWriter.h"

namespace varo {
namespace interchange {
namespace {

std::vector<long> FukurosOf(const ExportRequest& request) {
    if (!request.fukuros.empty()) return request.fukuros;
    std::vector<long> fukuros;
    for (const TipKind* kind = TipKindsBegin(); kind != TipKindsEnd(); ++kind) {
        if (kind->format != request.format) continue;
        if (std::find(fukuros.begin(), fukuros.end(), kind->homeFukuro) == fukuros.end()) {
            fukuros.push_back(kind->homeFukuro);
        }
    }
    return fukuros;
}

bool Wanted(const ExportRequest& request, uint16_t kind) {
    const TipKind* entry = FindTipKind(kind);
    if (!entry || entry->format != request.format) return false;
    return request.kinds.empty() || std::find(request.kinds.begin(), request.kinds.end(), kind) != request.kinds.end();
}

// Writes one tip, the current one; the sink differs by format.
class TipSink {
public:
    virtual ~TipSink() = default;
    virtual void Write(CVAROObj& kit, const std::string& uid) = 0;
};

class CalendarSink : public TipSink {
public:
    explicit CalendarSink(std::ostream& out) : m_out(out), m_writer(&m_text) {
        m_writer.Begin("VCALENDAR");
        m_writer.Property("VERSION", "2.0");
        m_writer.Property("PRODID", "-//varokit//varo//JA");
        m_writer.Property("CALSCALE", "GREGORIAN");
        m_zone.WriteTimezone(m_writer);
        Flush();
    }
    ~CalendarSink() override {
        m_writer.End("VCALENDAR");
        Flush();
    }
    void Write(CVAROObj& kit, const std::string& uid) override {
        if (WriteTipComponent(kit, m_zone, uid, m_writer)) Flush();
    }

private:
    // The text goes out a component at a time; the buffer keeps its capacity.
    void Flush() {
        m_out.write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
        m_text.clear();
    }

    std::ostream& m_out;
    std::string m_text;
    CalendarWriter m_writer;
    ExportZone m_zone;
};

class CardSink : public TipSink {
public:
    CardSink(std::ostream& out, VCardVersion version, std::vector<std::string> categories)
        : m_writer(out, version), m_categories(std::move(categories)) {}
    void Write(CVAROObj& kit, const std::string& uid) override {
        Card card;
        ReadCard(kit, m_categories, &card);
        card.uid = uid;
        m_writer.Write(card);
    }

private:
    VCardWriter m_writer;
    std::vector<std::string> m_categories;
};

}  // namespace

long CountTips(CVAROObj& kit, long db, const ExportRequest& request) {
    long total = 0;
    for (long fukuro : FukurosOf(request)) {
        long size = 0;
        if (kit.GetFukuroSize(db, fukuro, &size) == 0) total += size;
    }
    return total;
}

bool ExportTips(CVAROObj& kit, long db, const ExportRequest& request, std::ostream& out,
                const std::function<void(long)>& progress, ExportSummary* summary, std::string* problem) {
    UidMap uids;
    if (!uids.Load(kit, db)) {
        *problem = "cannot read the database's UIDs from its settings";
        return false;
    }
    std::unique_ptr<TipSink> sink;
    if (request.format == FileFormat::kCalendar) {
        sink.reset(new CalendarSink(out));
    } else {
        sink.reset(new CardSink(out, request.cardVersion, CategoryNames(kit, db)));
    }
    std::unordered_set<long> written;
    long walked = 0;
    for (long fukuro : FukurosOf(request)) {
        long code = kit.FukuroOpen(db, fukuro);
        if (code != 0) {
            *problem = "cannot open fukuro " + std::to_string(fukuro) + ": code " + std::to_string(code);
            return false;
        }
        while ((code = kit.ReadTip(db, fukuro, 1)) == 0) {
            long tip = 0;
            unsigned short kind = 0;
            kit.GetTipID(&tip);
            if (tip == 0) break;
            progress(++walked);
            kit.GetTipFlag(&kind);
            if (!Wanted(request, kind)) {
                ++summary->passedOver;
                continue;
            }
            if (!written.insert(tip).second) continue;
            sink->Write(kit, uids.UidOf(tip));
            ++summary->written;
        }
        kit.FukuroClose(db, fukuro);
        if (code != 0) {
            *problem = "cannot read fukuro " + std::to_string(fukuro) + ": code " + std::to_string(code);
            return false;
        }
    }
    // The token of the database's own UIDs is kept from the first export on.
    if (uids.Save(kit, db)) return true;
    *problem = "cannot write the database's UID token";
    return false;
}

}  // namespace interchange
}  // namespace varo
