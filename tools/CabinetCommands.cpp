// varo cabinets, cabinet and folder: the cabinets of a database and the
// folders in each, kept by the kit in control tips.
//
// Positions are counted from 0 in display order, as `varo cabinets` shows
// them. A move names where the entry should end up; the kit's own "to"
// (the entry before which it goes, counted before the move) is worked out
// here.
#include <cstdio>

#include "Arguments.h"
#include "Commands.h"
#include "Kinds.h"
#include "Listing.h"
#include "Results.h"
#include "Session.h"
#include "Text.h"

namespace varo {
namespace tool {
namespace {

// The kit's "end of the order" target.
const int kKitEnd = -1;

int OpenWithTree(KitSession& session, const std::string& argument, long* db, CabinetTree* tree) {
    const int opened = session.StartWithDatabase(argument, db);
    return opened != kExitOk ? opened : ReadCabinets(session.Kit(), *db, tree);
}

// Reads a position argument that must name one of `count` entries; "end"
// (when allowed) is the last. Prints why not.
int ReadPosition(const std::string& text, const char* what, int count, bool allowEnd, int* position) {
    long value = 0;
    if (!ParsePosition(text, &value) || (value < 0 && !allowEnd)) {
        return ReportUsage(std::string(what) + " must be a position (0, 1, ...)" + (allowEnd ? " or end" : "") +
                           ", not '" + text + "'");
    }
    if (value < 0) value = count - 1;
    if (value < 0 || value >= count) {
        return ReportFailure(std::string(what) + " " + text + " is out of range: there " +
                             (count == 1 ? "is 1 entry" : "are " + std::to_string(count) + " entries"));
    }
    *position = static_cast<int>(value);
    return kExitOk;
}

// The kit's target for moving the entry at `from` so that it ends up at
// `final` in an order of `count` entries.
int KitTarget(int from, int final, int count) {
    if (final >= count - 1) return kKitEnd;
    return final <= from ? final : final + 1;
}

int ReadName(const std::string& text, CString* name) {
    if (!FromUtf8(text, name)) return ReportUsage("the name cannot be written in Shift-JIS");
    return kExitOk;
}

}  // namespace

int RunCabinets(const Invocation& call) {
    KitSession session;
    long db = 0;
    CabinetTree tree;
    const int read = OpenWithTree(session, call.args[0], &db, &tree);
    if (read != kExitOk) return read;
    return PrintCabinetTree(session.Kit(), db, tree, false);
}

int RunCabinetAdd(const Invocation& call) {
    CString name;
    int result = ReadName(call.args[1], &name);
    KitSession session;
    long db = 0;
    if (result == kExitOk) result = session.StartWithDatabase(call.args[0], &db);
    if (result != kExitOk) return result;
    long fukuro = 0;
    const long code = session.Kit().PutCab(db, name, &fukuro);
    if (code != 0) return ReportCode("cannot add the cabinet", code);
    printf("added cabinet %s \"%s\" at the end\n", FukuroText(fukuro).c_str(), call.args[1].c_str());
    return kExitOk;
}

int RunCabinetMove(const Invocation& call) {
    KitSession session;
    long db = 0;
    CabinetTree tree;
    int result = OpenWithTree(session, call.args[0], &db, &tree);
    const int count = static_cast<int>(tree.cabinets.size());
    int from = 0;
    int final = 0;
    if (result == kExitOk) result = ReadPosition(call.args[1], "FROM", count, false, &from);
    if (result == kExitOk) result = ReadPosition(call.args[2], "TO", count, true, &final);
    if (result != kExitOk) return result;
    const long code = session.Kit().MoveCab(db, from, KitTarget(from, final, count));
    if (code != 0) return ReportCode("cannot move cabinet " + std::to_string(from), code);
    printf("moved cabinet %s to position %d\n", FukuroText(tree.cabinets[from].fukuro).c_str(), final);
    return kExitOk;
}

int RunCabinetRm(const Invocation& call) {
    KitSession session;
    long db = 0;
    CabinetTree tree;
    int result = OpenWithTree(session, call.args[0], &db, &tree);
    int index = 0;
    if (result == kExitOk) result = ReadPosition(call.args[1], "CABINET", static_cast<int>(tree.cabinets.size()), false, &index);
    if (result != kExitOk) return result;
    const long code = session.Kit().DelCab(db, index);
    if (code != 0) return ReportCode("cannot remove cabinet " + std::to_string(index), code);
    printf("removed cabinet %d from the order; fukuro %s and its folders stay in the database\n", index,
           FukuroText(tree.cabinets[index].fukuro).c_str());
    return kExitOk;
}

int RunFolderAdd(const Invocation& call) {
    CString name;
    int result = ReadName(call.args[2], &name);
    KitSession session;
    long db = 0;
    CabinetTree tree;
    if (result == kExitOk) result = OpenWithTree(session, call.args[0], &db, &tree);
    int cabinet = 0;
    if (result == kExitOk) result = ReadPosition(call.args[1], "CABINET", static_cast<int>(tree.cabinets.size()), false, &cabinet);
    if (result != kExitOk) return result;
    long fukuro = 0;
    const long code = session.Kit().PutKFl(db, cabinet, name, &fukuro);
    if (code != 0) return ReportCode("cannot add the folder", code);
    printf("added folder %s \"%s\" at the end of cabinet %d\n", FukuroText(fukuro).c_str(), call.args[2].c_str(),
           cabinet);
    return kExitOk;
}

int RunFolderMove(const Invocation& call) {
    KitSession session;
    long db = 0;
    CabinetTree tree;
    int result = OpenWithTree(session, call.args[0], &db, &tree);
    const int cabinets = static_cast<int>(tree.cabinets.size());
    int fromCab = 0;
    if (result == kExitOk) result = ReadPosition(call.args[1], "CABINET", cabinets, false, &fromCab);
    const std::string* toCabText = call.Value("to-cabinet");
    int toCab = fromCab;
    if (result == kExitOk && toCabText != nullptr) result = ReadPosition(*toCabText, "--to-cabinet", cabinets, false, &toCab);
    if (result != kExitOk) return result;
    const int folders = static_cast<int>(tree.cabinets[fromCab].folders.size());
    // Moved into another cabinet, the folder is first appended there.
    const int targetCount = toCab == fromCab ? folders : static_cast<int>(tree.cabinets[toCab].folders.size()) + 1;
    int from = 0;
    int final = 0;
    result = ReadPosition(call.args[2], "FROM", folders, false, &from);
    if (result == kExitOk) result = ReadPosition(call.args[3], "TO", targetCount, true, &final);
    if (result != kExitOk) return result;
    const int to = toCab == fromCab ? KitTarget(from, final, targetCount) : final;
    long moved = tree.cabinets[fromCab].folders[from];
    const long code = session.Kit().MoveKFl(db, fromCab, from, toCab, to, &moved);
    if (code != 0) return ReportCode("cannot move folder " + std::to_string(from), code);
    printf("moved folder %s to position %d of cabinet %d\n", FukuroText(moved).c_str(), final, toCab);
    return kExitOk;
}

int RunFolderRm(const Invocation& call) {
    KitSession session;
    long db = 0;
    CabinetTree tree;
    int result = OpenWithTree(session, call.args[0], &db, &tree);
    int cabinet = 0;
    int index = 0;
    if (result == kExitOk) result = ReadPosition(call.args[1], "CABINET", static_cast<int>(tree.cabinets.size()), false, &cabinet);
    if (result == kExitOk) {
        result = ReadPosition(call.args[2], "FOLDER", static_cast<int>(tree.cabinets[cabinet].folders.size()), false, &index);
    }
    if (result != kExitOk) return result;
    const long code = session.Kit().DelKFl(db, cabinet, index);
    if (code != 0) return ReportCode("cannot remove folder " + std::to_string(index), code);
    printf("removed folder %d from cabinet %d; fukuro %s and its tips stay in the database\n", index, cabinet,
           FukuroText(tree.cabinets[cabinet].folders[index]).c_str());
    return kExitOk;
}

}  // namespace tool
}  // namespace varo
