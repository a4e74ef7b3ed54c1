// varo export and varo import: iCalendar and vCard files.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "Commands.h"
#include "Exporter.h"
#include "Importer.h"
#include "Kinds.h"
#include "Progress.h"
#include "Results.h"
#include "Session.h"

namespace varo {
namespace tool {
namespace {

using interchange::ExportRequest;
using interchange::FileFormat;
using interchange::VCardVersion;

struct FormatName {
    const char* name;
    FileFormat format;
    VCardVersion version;
};

const FormatName kFormats[] = {
    {"ics", FileFormat::kCalendar, VCardVersion::k30},
    {"vcf", FileFormat::kCard, VCardVersion::k30},
    {"vcf4", FileFormat::kCard, VCardVersion::k40},
    {"vcf21", FileFormat::kCard, VCardVersion::k21},
};

const FormatName* FindFormat(const std::string& name) {
    for (const FormatName& format : kFormats) {
        if (name == format.name) return &format;
    }
    return nullptr;
}

// The format a file's extension implies: .ics, .ical, .vcf, .vcard.
const FormatName* FormatOfPath(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return nullptr;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (extension == "ics" || extension == "ical") return FindFormat("ics");
    if (extension == "vcf" || extension == "vcard") return FindFormat("vcf");
    return nullptr;
}

// Every --kind of the call as tip kinds; an exit code, the usage error printed.
int KindsOf(const Invocation& call, FileFormat format, std::vector<uint16_t>* kinds) {
    for (const auto& option : call.options) {
        if (option.first != "kind") continue;
        bool known = false;
        for (const interchange::TipKind* kind = interchange::TipKindsBegin(); kind != interchange::TipKindsEnd(); ++kind) {
            if (option.second != kind->name) continue;
            known = true;
            if (kind->format != format) {
                return ReportUsage(std::string(kind->name) + (format == FileFormat::kCard ? " tips go to iCalendar (.ics)"
                                                                                         : " tips go to vCard (.vcf)"));
            }
            kinds->push_back(kind->kind);
        }
        if (!known) return ReportUsage("--kind: no kind '" + option.second + "' (todo, schedule, card, memo, plan, "
                                       "milestone, holiday, anniversary)");
    }
    return kExitOk;
}

int ExportRequestOf(const Invocation& call, ExportRequest* request, std::string* path) {
    const std::string* output = call.Value("o") ? call.Value("o") : call.Value("output");
    if (!output) return ReportUsage("export needs -o FILE");
    *path = *output;
    const std::string* named = call.Value("format");
    const FormatName* format = named ? FindFormat(*named) : FormatOfPath(*path);
    if (!format) {
        return ReportUsage(named ? "--format must be ics, vcf, vcf4 or vcf21, not '" + *named + "'"
                                 : "cannot tell the format from '" + *path + "': give --format ics|vcf|vcf4|vcf21");
    }
    request->format = format->format;
    request->cardVersion = format->version;
    for (size_t i = 1; i < call.args.size(); ++i) {
        long fukuro = 0;
        if (!ParseFukuro(call.args[i], &fukuro)) {
            return ReportUsage("FUKURO must be a fukuro id such as 0x300C, or a kind, not '" + call.args[i] + "'");
        }
        request->fukuros.push_back(fukuro);
    }
    return KindsOf(call, request->format, &request->kinds);
}

long FileSize(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? static_cast<long>(status.st_size) : 0;
}

void PrintImportSummary(const interchange::ImportSummary& summary) {
    printf("imported: %ld added, %ld updated, %zu skipped\n", summary.added, summary.updated, summary.skipped.size());
    for (const std::string& skipped : summary.skipped) printf("  skipped %s\n", skipped.c_str());
    for (const std::string& note : summary.notes) printf("  note %s\n", note.c_str());
}

}  // namespace

int RunExport(const Invocation& call) {
    ExportRequest request;
    std::string path;
    int result = ExportRequestOf(call, &request, &path);
    if (result != kExitOk) return result;
    KitSession session;
    long db = 0;
    result = session.StartWithDatabase(call.args[0], &db);
    if (result != kExitOk) return result;
    // Written beside the target and renamed, so a failed export leaves no
    // half-written file in its place.
    const std::string partial = path + ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) return ReportFailure("cannot write '" + path + "'");
    interchange::ExportSummary summary;
    std::string problem;
    bool done = false;
    {
        CountedProgress progress("exporting", interchange::CountTips(session.Kit(), db, request));
        done = interchange::ExportTips(session.Kit(), db, request, out, [&](long walked) { progress.Advance(walked); },
                                       &summary, &problem);
        out.close();
    }
    if (!done || !out) {
        std::remove(partial.c_str());
        return ReportFailure(done ? "cannot write '" + path + "'" : problem);
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return ReportFailure("cannot write '" + path + "'");
    }
    printf("exported %ld tip%s to %s\n", summary.written, summary.written == 1 ? "" : "s", path.c_str());
    if (summary.passedOver > 0) {
        printf("  passed over %ld tip%s of kinds this format does not carry\n", summary.passedOver,
               summary.passedOver == 1 ? "" : "s");
    }
    return kExitOk;
}

int RunImport(const Invocation& call) {
    long fukuro = 0;
    const std::string* named = call.Value("fukuro");
    if (named && !ParseFukuro(*named, &fukuro)) {
        return ReportUsage("--fukuro must be a fukuro id such as 0x300C, or a kind, not '" + *named + "'");
    }
    for (size_t i = 1; i < call.args.size(); ++i) {
        if (!std::ifstream(call.args[i], std::ios::binary)) return ReportFailure("cannot read '" + call.args[i] + "'");
    }
    KitSession session;
    long db = 0;
    int result = session.StartWithDatabase(call.args[0], &db);
    if (result != kExitOk) return result;
    interchange::Importer importer(session.Kit(), db, fukuro);
    std::string problem;
    if (!importer.Begin(&problem)) return ReportFailure(problem);
    for (size_t i = 1; i < call.args.size(); ++i) {
        const std::string& path = call.args[i];
        std::ifstream in(path, std::ios::binary);
        CountedProgress progress("importing " + path, FileSize(path));
        importer.ImportStream(in, path, [&](uint64_t bytes) { progress.Advance(static_cast<long>(bytes)); });
    }
    if (!importer.Finish(&problem)) return ReportFailure(problem);
    PrintImportSummary(importer.Summary());
    return kExitOk;
}

}  // namespace tool
}  // namespace varo
