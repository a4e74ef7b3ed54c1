// The cost of files in and out against the kit's own bare loops:
//
//  - importing a .ics of 10,000 events, against a loop that makes the same
//    tips field by field with PutTip;
//  - exporting 100,000 tips to iCalendar, against walking them with
//    ReadTip;
//  - the peak resident memory of importing a .ics of 100,000 events, taken
//    first, while the process holds nothing else.
//
// Rates are printed as the interchange side's share of the bare loop's
// rate (1.00: as fast). Each side runs three times and its fastest run
// counts, so that a busy machine's pauses do not decide the ratio. The data
// folder is in memory where there is one.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Exporter.h"
#include "Importer.h"
#include "VAROObj.h"

using namespace varo::interchange;

namespace {

const long kScheduleFukuro = 0x3005;
const int kRuns = 3;

std::string MakeFolder() {
    char pattern[] = "/dev/shm/varo-interchange-bench-XXXXXX";
    if (mkdtemp(pattern)) return pattern;
    char fallback[] = "/tmp/varo-interchange-bench-XXXXXX";
    return mkdtemp(fallback) ? fallback : "";
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Event i starts on a day of 2030 at a time of day; an hour long.
void EventFields(long i, int* month, int* day, int* hour) {
    *month = 1 + static_cast<int>(i % 12);
    *day = 1 + static_cast<int>(i % 28);
    *hour = 8 + static_cast<int>(i % 10);
}

// Writes a calendar of `count` events to a file, one event at a time.
void WriteCalendar(const std::string& path, long count) {
    std::ofstream out(path, std::ios::binary);
    out << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
    char event[512];
    for (long i = 0; i < count; ++i) {
        int month, day, hour;
        EventFields(i, &month, &day, &hour);
        snprintf(event, sizeof event,
                 "BEGIN:VEVENT\r\nUID:bench-%ld@example.com\r\nDTSTAMP:20300101T000000Z\r\nSUMMARY:event number %ld\r\n"
                 "DTSTART;TZID=Asia/Tokyo:2030%02d%02dT%02d0000\r\nDTEND;TZID=Asia/Tokyo:2030%02d%02dT%02d0000\r\n"
                 "END:VEVENT\r\n",
                 i, i, month, day, hour, month, day, hour + 1);
        out << event;
    }
    out << "END:VCALENDAR\r\n";
}

long NewDatabase(CVAROObj& kit, const char* name) {
    long db = 0;
    if (kit.Create(name, &db) != 0 || kit.Open(db) != 0) {
        fprintf(stderr, "interchange_bench: cannot make a database\n");
        exit(1);
    }
    return db;
}

ImportSummary ImportFile(CVAROObj& kit, long db, const std::string& path) {
    Importer importer(kit, db, 0);
    std::string problem;
    importer.Begin(&problem);
    std::ifstream in(path, std::ios::binary);
    importer.ImportStream(in, path, [](uint64_t) {});
    importer.Finish(&problem);
    return importer.Summary();
}

// The same tips as the file holds, made directly.
void BareStore(CVAROObj& kit, long db, long count) {
    kit.FukuroLockOpen(db, kScheduleFukuro);
    for (long i = 0; i < count; ++i) {
        int month, day, hour;
        EventFields(i, &month, &day, &hour);
        kit.SetTipID(0);
        kit.SetTipFlag(0x201);
        kit.SetMemo(("event number " + std::to_string(i)).c_str());
        kit.SetStartTime(CPIMTime(2030, month, day, hour, 0, 0), 2);
        kit.SetEndTime(CPIMTime(2030, month, day, hour + 1, 0, 0), 2);
        long tip = 0;
        kit.PutTip(db, kScheduleFukuro, &tip);
    }
    kit.FukuroClose(db, kScheduleFukuro);
}

long BareWalk(CVAROObj& kit, long db) {
    long walked = 0;
    kit.FukuroOpen(db, kScheduleFukuro);
    for (;;) {
        kit.ReadTip(db, kScheduleFukuro, 1);
        long tip = 0;
        kit.GetTipID(&tip);
        if (tip == 0) break;
        ++walked;
    }
    kit.FukuroClose(db, kScheduleFukuro);
    return walked;
}

void Report(const char* what, long count, double bare, double interchange) {
    printf("%-28s %7ld tips  bare %7.2fs  interchange %7.2fs  rate share %.2f\n", what, count, bare, interchange,
           bare / interchange);
}

}  // namespace

int main(int argc, char** argv) {
    const long memoryEvents = argc > 1 ? atol(argv[1]) : 100000;
    const long importEvents = argc > 2 ? atol(argv[2]) : 10000;
    const long exportTips = argc > 3 ? atol(argv[3]) : 100000;
    const std::string folder = MakeFolder();
    setenv("VARO_DATA_DIR", folder.c_str(), 1);
    CVAROObj kit;
    if (kit.Init(nullptr) != 1) {
        fprintf(stderr, "interchange_bench: no engine\n");
        return 1;
    }

    const std::string big = folder + "/big.ics";
    WriteCalendar(big, memoryEvents);
    const long memoryDb = NewDatabase(kit, "memory");
    auto start = std::chrono::steady_clock::now();
    const ImportSummary memory = ImportFile(kit, memoryDb, big);
    const double memorySeconds = Seconds(start);
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("import of %ld events: %ld added in %.2fs, peak resident memory %.1f MB (file %.1f MB)\n", memoryEvents,
           memory.added, memorySeconds, usage.ru_maxrss / 1024.0,
           std::filesystem::file_size(big) / (1024.0 * 1024.0));
    std::filesystem::remove(big);

    const std::string small = folder + "/small.ics";
    WriteCalendar(small, importEvents);
    double bareStore = 1e9, importing = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const long bareDb = NewDatabase(kit, "bare");
        start = std::chrono::steady_clock::now();
        BareStore(kit, bareDb, importEvents);
        bareStore = std::min(bareStore, Seconds(start));
        const long importDb = NewDatabase(kit, "import");
        start = std::chrono::steady_clock::now();
        ImportFile(kit, importDb, small);
        importing = std::min(importing, Seconds(start));
        for (long db : {bareDb, importDb}) {
            kit.Close(db);
            kit.Delete(db, 2);
        }
    }
    Report("import .ics vs PutTip loop", importEvents, bareStore, importing);

    const long exportDb = NewDatabase(kit, "export");
    BareStore(kit, exportDb, exportTips);
    double bareWalk = 1e9, exporting = 1e9;
    long walked = 0;
    for (int run = 0; run < kRuns; ++run) {
        start = std::chrono::steady_clock::now();
        walked = BareWalk(kit, exportDb);
        bareWalk = std::min(bareWalk, Seconds(start));
        ExportRequest request;
        request.fukuros = {kScheduleFukuro};
        std::ofstream sink(folder + "/out.ics", std::ios::binary | std::ios::trunc);
        ExportSummary summary;
        std::string problem;
        start = std::chrono::steady_clock::now();
        ExportTips(kit, exportDb, request, sink, [](long) {}, &summary, &problem);
        exporting = std::min(exporting, Seconds(start));
    }
    Report("export .ics vs ReadTip walk", walked, bareWalk, exporting);

    kit.End();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
