// Listing what a database holds as its applications show it: a fukuro's
// name, its tips one line each, cabinets with their folders.
//
// Lines are the kit's display strings; kinds the kit composes no line for
// (holidays, anniversaries, the page board, preferences) get a line of the
// same style made from their fields. Everything is printed to stdout in
// UTF-8; failures are printed by these functions and given as exit codes.
#pragma once

#include <string>
#include <vector>

#include "Session.h"

namespace varo {
namespace tool {

// How a fukuro is named in lists: its name, else the role of a fixed fukuro
// in parentheses, else "(unnamed)".
std::string FukuroLabel(CVAROObj& kit, long db, long fukuro);

// The one-line text of the current tip.
std::string TipLine(CVAROObj& kit, unsigned short kind);

struct ListedTip {
    long id;
    unsigned short kind;
    std::string line;
};

// Reads every tip of a fukuro in its order (with progress on a terminal for
// long fukuros). Gives an exit code.
int ReadFukuroTips(CVAROObj& kit, long db, long fukuro, std::vector<ListedTip>* tips);

// Prints tips as "<indent>#<id> <kind> <line>".
void PrintTips(const std::vector<ListedTip>& tips, const std::string& indent);

// The tip count of a fukuro, or -1 when the engine cannot tell.
long FukuroSize(CVAROObj& kit, long db, long fukuro);

// "1 tip", "3 tips".
std::string TipCount(long count);

// A database's cabinets in display order, each with its folders.
struct Cabinet {
    long fukuro;
    int shownFolder;
    std::vector<long> folders;
};

struct CabinetTree {
    int shownCabinet = 0;
    std::vector<Cabinet> cabinets;
};

// Prints each cabinet and its folders with their tip counts, and with
// withTips each folder's tips beneath it. Gives an exit code.
int PrintCabinetTree(CVAROObj& kit, long db, const CabinetTree& tree, bool withTips);

// Loads the cabinets and the folders of each (at most the 40 cabinets and
// 100 folders a control tip has room for, whatever its count says). Gives
// an exit code.
int ReadCabinets(CVAROObj& kit, long db, CabinetTree* tree);

}  // namespace tool
}  // namespace varo
