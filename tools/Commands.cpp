// The command table.
#include "Commands.h"

#include "TipSchemas.h"

namespace varo {
namespace tool {
namespace {

const Command kCommands[] = {
    {"demo", "", "make a sample database named demo (once) and list it as the applications do",
     "The database gets a to-do item due in a week, an address card with phone numbers, a meeting\n"
     "tomorrow with an alarm and a memo pinned to the page board.",
     0, 0, "", 0, false, RunDemo},
    {"setup", "[FOLDER] [--server URL]", "record where the suite is installed (ROOTDIR), or its database server",
     "FOLDER holds the engine VARO.ocx; by default the engine installed (or built) with varo.\n"
     "Every application then loads that engine and keeps its data in FOLDER/data/ (unless\n"
     "VARO_DATA_DIR says otherwise).\n"
     "  --server URL  keep every database on a PostgreSQL server instead (SERVER): a libpq\n"
     "                connection string such as postgresql://user@host/varo or\n"
     "                \"host=/run/postgresql dbname=varo\"; an empty URL goes back to files.\n"
     "                VARO_SERVER, when set, comes first. ROOTDIR is left as it is unless\n"
     "                FOLDER is given too.",
     0, 1, "server=", 0, false, RunSetup},
    {"db list", "", "list the known databases", nullptr, 0, 0, "", 0, false, RunDbList},
    {"db create", "NAME", "create a database, seeded with the holidays, a cabinet and its folders", nullptr, 1, 1,
     "", 0, false, RunDbCreate},
    {"db delete", "DB", "delete a database's files and forget it",
     "  --yes     confirm deleting the files (and the backup)\n"
     "  --forget  keep the files; only take the database off the list",
     1, 1, "yes forget", 0, false, RunDbDelete},
    {"db rename", "DB NAME", "rename a database", nullptr, 2, 2, "", 0, false, RunDbRename},
    {"db default", "DB", "make a database the default one", nullptr, 1, 1, "", 0, false, RunDbDefault},
    {"db check", "DB", "check the integrity of a database's file", nullptr, 1, 1, "", 0, false, RunDbCheck},
    {"db backup", "DB", "write a backup copy of a database", nullptr, 1, 1, "", 0, false, RunDbBackup},
    {"db restore", "DB", "replace a database's data by its backup",
     "  --yes  confirm: what changed since the backup is lost", 1, 1, "yes", 0, false, RunDbRestore},
    {"ls", "DB [FUKURO]", "list a database's fukuros, or the tips of one fukuro",
     "FUKURO is an id such as 0x300C, or a kind whose home fukuro to list:\n"
     "todo, card, schedule, memo, plan, milestone.",
     1, 2, "", 0, false, RunLs},
    {"show", "DB TIP", "show every field of a tip: tag, label, type and value", nullptr, 2, 2, "", 0, false, RunShow},
    {"add todo", "DB TEXT", "add a to-do item", nullptr, 2, 2, "", KIND_TODO_300, false, RunAdd},
    {"add card", "DB NAME", "add an address card", nullptr, 2, 2, "", KIND_CARD_401, false, RunAdd},
    {"add schedule", "DB START TEXT", "add a schedule entry", "START is a date (all day) or a date and time.", 3, 3,
     "", KIND_SCHEDULE_201, false, RunAdd},
    {"add memo", "DB TEXT", "add a memo", nullptr, 2, 2, "", KIND_MEMO_501, false, RunAdd},
    {"set", "DB TIP FIELD VALUE", "change one field of a tip", nullptr, 4, 4, "", 0, true, RunSet},
    {"done", "DB TIP", "mark a tip done, checked now", nullptr, 2, 2, "", 0, false, RunDone},
    {"cabinets", "DB", "list the cabinets of a database and the folders in each", nullptr, 1, 1, "", 0, false,
     RunCabinets},
    {"cabinet add", "DB NAME", "add a cabinet at the end", nullptr, 2, 2, "", 0, false, RunCabinetAdd},
    {"cabinet move", "DB FROM TO", "move a cabinet so that it ends up at position TO (or end)", nullptr, 3, 3, "", 0,
     false, RunCabinetMove},
    {"cabinet rm", "DB CABINET", "take a cabinet off the list; its fukuro and folders stay", nullptr, 2, 2, "", 0,
     false, RunCabinetRm},
    {"folder add", "DB CABINET NAME", "add a folder at the end of a cabinet", nullptr, 3, 3, "", 0, false,
     RunFolderAdd},
    {"folder move", "DB CABINET FROM TO", "move a folder so that it ends up at position TO (or end)",
     "  --to-cabinet C  move it into cabinet C instead, at position TO there", 4, 4, "to-cabinet=", 0, false,
     RunFolderMove},
    {"folder rm", "DB CABINET FOLDER", "take a folder out of its cabinet; its fukuro and tips stay", nullptr, 3, 3,
     "", 0, false, RunFolderRm},
    {"export", "DB [FUKURO...] -o FILE", "write tips to an iCalendar (.ics) or vCard (.vcf) file",
     "FUKURO is an id or a kind (todo, schedule, ...); by default every home fukuro of the\n"
     "kinds the format carries. Schedules, to-do items, holidays, anniversaries, plans,\n"
     "milestones and memos go to iCalendar; address cards to vCard.\n"
     "  -o FILE, --output FILE  the file to write\n"
     "  --format F              ics, vcf (vCard 3.0), vcf4 (4.0) or vcf21 (2.1 in Shift-JIS, for\n"
     "                          phones); by default from FILE's extension (.ics, .vcf)\n"
     "  --kind K                only tips of this kind (todo, schedule, card, ...); may repeat",
     1, 64, "o= output= format= kind=", 0, false, RunExport},
    {"import", "DB FILE...", "read tips from iCalendar and vCard files",
     "Each tip goes to its kind's home fukuro. A UID imported before (or exported from this\n"
     "database) updates the tip it made instead of adding another. What cannot be imported is\n"
     "skipped and listed with its line; the rest is imported.\n"
     "  --fukuro F  put every imported tip into fukuro F (an id, or a kind's home fukuro)",
     2, 64, "fukuro=", 0, false, RunImport},
#ifdef VARO_HAS_CHOOSER
    {"select", "", "let the user choose a database in the chooser; prints its id",
     "  --exclude DB  leave this database out (may be given more than once)", 0, 0, "exclude=", 0, false,
     RunSelect},
#endif
};

}  // namespace

const Command* CommandsBegin() { return kCommands; }
const Command* CommandsEnd() { return kCommands + sizeof kCommands / sizeof kCommands[0]; }

bool Invocation::Flag(const char* name) const { return Value(name) != nullptr; }

const std::string* Invocation::Value(const char* name) const {
    const std::string* found = nullptr;
    for (const auto& option : options) {
        if (option.first == name) found = &option.second;
    }
    return found;
}

}  // namespace tool
}  // namespace varo
