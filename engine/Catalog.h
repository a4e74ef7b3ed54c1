// The catalog: the engine's list of known databases and the values that
// belong to no single database, kept in <data>/catalog.sqlite.
//
//   catalog_meta(key, value)            format; next_database (ids are never
//                                       reused); default_database
//   known_database(id, name, path, colour)   name UTF-8, path the database
//                                       file's absolute path, colour unsigned
//   application_id(id)                  registered application ids
//   view_mode(mode, key, value)         Set/Get1DayView, 1DayMode, PBMode
//   setting_value(selector, section, name, number, text)
//                                       EstFile values; section and name
//                                       compare without ASCII case, like
//                                       profile files
//   catalog_change(seq, database_id, change)
//                                       renames and recolourings, read by
//                                       every engine instance to notify
//
// Each instance has its own connection; every changing call is one
// transaction. Results are engine codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Sqlite.h"

namespace varo {
namespace engine {

// The script that makes the catalog's tables where they are missing.
extern const char kCatalogSchema[];

struct KnownDatabase {
    int32_t id = 0;
    std::string name;
    std::string path;
    uint32_t colour = 0;
};

enum class CatalogChangeKind : int { Name = 1, Colour = 2 };

struct CatalogChange {
    int64_t seq;
    int32_t database;
    CatalogChangeKind kind;
};

// A settings value as stored: a number or a text.
struct SettingValue {
    bool isNumber = false;
    int32_t number = 0;
    std::string text;
};

enum class ViewMode : int { OneDayView = 1, OneDayMode = 2, PageBoardMode = 3 };

class Catalog {
public:
    // Opens (making the folder and the file when missing) the catalog of the
    // data folder.
    int32_t Open(const std::string& dataFolder);
    // Opens (making its tables when missing) the catalog on the server.
    int32_t OpenOnServer(const std::string& server);
    // OpenOnServer when `server` is given, else Open.
    int32_t OpenIn(const std::string& server, const std::string& dataFolder) {
        return server.empty() ? Open(dataFolder) : OpenOnServer(server);
    }
    bool IsOpen() const { return m_sql.IsOpen(); }
    Connection& Sql() { return m_sql; }

    int32_t AllocateDatabaseId(int32_t* id);
    int32_t Register(const KnownDatabase& database);
    int32_t Find(int32_t id, KnownDatabase* out);
    // kEngineNotFound when no listed database has that file.
    int32_t FindByPath(const std::string& path, int32_t* id);
    int32_t Remove(int32_t id);
    int32_t List(std::vector<int32_t>* ids);
    int32_t SetName(int32_t id, const std::string& name);
    int32_t SetColour(int32_t id, uint32_t colour);
    int32_t SetDefault(int32_t id);
    // kEngineNotFound when no default is set.
    int32_t GetDefault(int32_t* id);

    int32_t CreateApplicationId(int32_t id);
    int32_t HasApplicationId(int32_t id);
    int32_t DeleteApplicationId(int32_t id, bool withValues);
    int32_t CollectApplicationGarbage(int32_t id);

    int32_t SetViewMode(ViewMode mode, int32_t key, int32_t value);
    int32_t GetViewMode(ViewMode mode, int32_t key, int32_t* value);

    int32_t WriteSetting(int32_t selector, const std::string& section, const std::string& name,
                         const SettingValue& value);
    // kEngineNotFound when nothing is stored under the names.
    int32_t ReadSetting(int32_t selector, const std::string& section, const std::string& name,
                        SettingValue* value);

    int64_t LatestChange();
    int32_t ChangesAfter(int64_t seq, std::vector<CatalogChange>* changes);

private:
    int32_t CreateSchema();
    int32_t LogChange(int32_t id, CatalogChangeKind kind);
    int32_t Existing(int32_t id);

    Connection m_sql;
};

}  // namespace engine
}  // namespace varo
