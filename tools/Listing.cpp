// Fukuro labels, tip lines and the cabinet tree.
#include "Listing.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "Kinds.h"
#include "Progress.h"
#include "Results.h"
#include "Text.h"
#include "TipSchemas.h"

namespace varo {
namespace tool {
namespace {

// Listing more tips than this shows progress on a terminal.
const long kProgressThreshold = 10000;

const int kReadNext = 1;

const int kMaxCabinets = 40;
const int kMaxFolders = 100;

std::string ListMemo(CVAROObj& kit) {
    CString memo;
    return kit.GetListMemo(memo) == 1 ? ToUtf8(memo) : std::string();
}

// Holidays and anniversaries: their day, then their name.
std::string DayLine(CVAROObj& kit, unsigned short kind) {
    CPIMTime day;
    if (kit.GetDate(day) != 1) return ListMemo(kit);
    const char* format = kind == KIND_ANNIVERSARY_204 ? "%m/%d" : "%y/%m/%d";
    return day.Format(format).Bytes() + " " + ListMemo(kit);
}

std::string PageBoardLine(CVAROObj& kit) {
    long page = 0;
    kit.GetCurrentPage(&page);
    CSelectTips pinned;
    kit.GetLinkData(pinned);
    return "page " + std::to_string(page) + ", " + TipCount(pinned.GetSize()) + " pinned";
}

std::string PreferenceLine(CVAROObj& kit) {
    CString name;
    kit.GetName(name);
    void* data = nullptr;
    unsigned short length = 0;
    kit.GetData(&data, &length);
    return ToUtf8(name) + " (" + std::to_string(data != nullptr ? length : 0) + " bytes)";
}

}  // namespace

std::string FukuroLabel(CVAROObj& kit, long db, long fukuro) {
    CString name;
    if (kit.GetFukuroName(db, fukuro, name) == 0 && !name.IsEmpty()) return ToUtf8(name);
    const char* role = FixedFukuroRole(fukuro);
    return role != nullptr ? std::string("(") + role + ")" : "(unnamed)";
}

std::string TipLine(CVAROObj& kit, unsigned short kind) {
    CString line;
    if (kit.GetDisplayString(line) == 1) return ToUtf8(line);
    switch (kind) {
    case KIND_HOLIDAY_203:
    case KIND_ANNIVERSARY_204:
        return DayLine(kit, kind);
    case KIND_PAGEBOARD_800:
        return PageBoardLine(kit);
    case KIND_PREFERENCE_900:
        return PreferenceLine(kit);
    default:
        return "(no line: cabinet or folder control data, or another program's kind)";
    }
}

int ReadFukuroTips(CVAROObj& kit, long db, long fukuro, std::vector<ListedTip>* tips) {
    const long total = FukuroSize(kit, db, fukuro);
    OpenedFukuro opened(kit, db, fukuro, false);
    if (opened.Code() != 0) return ReportCode("cannot open fukuro " + FukuroText(fukuro), opened.Code());
    std::unique_ptr<CountedProgress> progress;
    if (total > kProgressThreshold) progress.reset(new CountedProgress("reading fukuro " + FukuroText(fukuro), total));
    for (;;) {
        const long code = kit.ReadTip(db, fukuro, kReadNext);
        if (code != 0) return ReportCode("cannot read fukuro " + FukuroText(fukuro), code);
        ListedTip tip{0, 0, std::string()};
        kit.GetTipID(&tip.id);
        if (tip.id == 0) return kExitOk;
        kit.GetTipFlag(&tip.kind);
        tip.line = TipLine(kit, tip.kind);
        tips->push_back(tip);
        if (progress) progress->Advance(static_cast<long>(tips->size()));
    }
}

void PrintTips(const std::vector<ListedTip>& tips, const std::string& indent) {
    for (const ListedTip& tip : tips) {
        printf("%s#%-5ld %s %s\n", indent.c_str(), tip.id, PadRight(KindName(tip.kind), 11).c_str(),
               tip.line.c_str());
    }
}

long FukuroSize(CVAROObj& kit, long db, long fukuro) {
    long size = 0;
    return kit.GetFukuroSize(db, fukuro, &size) == 0 ? size : -1;
}

std::string TipCount(long count) { return std::to_string(count) + (count == 1 ? " tip" : " tips"); }

int ReadCabinets(CVAROObj& kit, long db, CabinetTree* tree) {
    long code = kit.LoadCabCData(db);
    if (code != 0) return ReportCode("cannot load the cabinets", code);
    tree->shownCabinet = kit.GetCabDspP();
    const int count = std::min(kit.GetCabCount(), kMaxCabinets);
    for (int i = 0; i < count; ++i) tree->cabinets.push_back(Cabinet{kit.GetCabFID(i), 0, {}});
    for (int i = 0; i < count; ++i) {
        code = kit.LoadKFlCData(db, i);
        if (code != 0) return ReportCode("cannot load the folders of cabinet " + std::to_string(i), code);
        tree->cabinets[i].shownFolder = kit.GetKFlDspP();
        const int folders = std::min(kit.GetKFlCount(), kMaxFolders);
        for (int k = 0; k < folders; ++k) tree->cabinets[i].folders.push_back(kit.GetKFIFID(k));
    }
    return kExitOk;
}

int PrintCabinetTree(CVAROObj& kit, long db, const CabinetTree& tree, bool withTips) {
    for (size_t i = 0; i < tree.cabinets.size(); ++i) {
        const Cabinet& cabinet = tree.cabinets[i];
        const size_t folders = cabinet.folders.size();
        printf("cabinet %zu: %s %s, %zu folder%s%s\n", i, FukuroText(cabinet.fukuro).c_str(),
               FukuroLabel(kit, db, cabinet.fukuro).c_str(), folders, folders == 1 ? "" : "s",
               static_cast<int>(i) == tree.shownCabinet ? " (shown)" : "");
        for (size_t k = 0; k < folders; ++k) {
            const long fukuro = cabinet.folders[k];
            printf("  folder %zu: %s %s, %s%s\n", k, FukuroText(fukuro).c_str(), FukuroLabel(kit, db, fukuro).c_str(),
                   TipCount(FukuroSize(kit, db, fukuro)).c_str(),
                   static_cast<int>(k) == cabinet.shownFolder ? " (shown)" : "");
            if (!withTips) continue;
            std::vector<ListedTip> tips;
            const int read = ReadFukuroTips(kit, db, fukuro, &tips);
            if (read != kExitOk) return read;
            PrintTips(tips, "    ");
        }
    }
    return kExitOk;
}

}  // namespace tool
}  // namespace varo
