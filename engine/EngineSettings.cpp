// Application ids, settings values, view modes, the owner window and the
// requests for notifications.
#include <cstdio>

#include "EngineArgs.h"
#include "EngineCodes.h"
#include "SortCondition.h"
#include "VaroEngine.h"

namespace varo {
namespace engine {
namespace {

const size_t kMaxSettingNameUnits = 255;

int32_t AsBool(int32_t code) { return code == kEngineOk ? 1 : 0; }

// The selector, section and name of an EstFile call; false for a missing or
// empty name.
bool SettingKey(const EngineArg* a, std::string* section, std::string* name) {
    return TextArg(a[1], kMaxSettingNameUnits, section) && TextArg(a[2], kMaxSettingNameUnits, name) &&
           !section->empty() && !name->empty();
}

bool HasDigit(const std::string& text) {
    for (char c : text) {
        if (c >= '0' && c <= '9') return true;
        if (c != ' ' && c != '-' && c != '+') return false;
    }
    return false;
}

}  // namespace

int32_t VaroEngine::CheckAPID(const EngineArg* a) {
    if (a[0].i4 <= 0) return kEngineBadArgument;
    const int32_t code = EnsureCatalog();
    return code != kEngineOk ? code : m_catalog.HasApplicationId(a[0].i4);
}

// DeleteAPID(id, withValues): with the flag set, the settings values kept
// under the id go too.
int32_t VaroEngine::DeleteAPID(const EngineArg* a) {
    if (a[0].i4 <= 0) return kEngineBadArgument;
    const int32_t code = EnsureCatalog();
    return code != kEngineOk ? code : m_catalog.DeleteApplicationId(a[0].i4, a[1].flag);
}

int32_t VaroEngine::CreateAPID(const EngineArg* a) {
    if (a[0].i4 <= 0) return kEngineBadArgument;
    const int32_t code = EnsureCatalog();
    return code != kEngineOk ? code : m_catalog.CreateApplicationId(a[0].i4);
}

// Removes the settings values left under an id that is no longer registered.
int32_t VaroEngine::GarbageAPID(const EngineArg* a) {
    if (a[0].i4 <= 0) return kEngineBadArgument;
    const int32_t code = EnsureCatalog();
    return code != kEngineOk ? code : m_catalog.CollectApplicationGarbage(a[0].i4);
}

int32_t VaroEngine::EstFileWriteLong(const EngineArg* a) {
    std::string section, name;
    if (!SettingKey(a, &section, &name) || EnsureCatalog() != kEngineOk) return 0;
    SettingValue value;
    value.isNumber = true;
    value.number = a[3].i4;
    return AsBool(m_catalog.WriteSetting(a[0].i4, section, name, value));
}

// A value stored as text reads as the number it begins with; with none
// stored, or no number in the text, the default is the value.
int32_t VaroEngine::EstFileReadLong(const EngineArg* a) {
    int32_t* out = a[4].i4Out;
    if (!out) return 0;
    *out = a[3].i4;
    std::string section, name;
    if (!SettingKey(a, &section, &name) || EnsureCatalog() != kEngineOk) return 0;
    SettingValue value;
    const int32_t code = m_catalog.ReadSetting(a[0].i4, section, name, &value);
    if (code == kEngineNotFound) return 1;
    if (code != kEngineOk) return 0;
    if (value.isNumber) {
        *out = value.number;
    } else if (HasDigit(value.text)) {
        *out = static_cast<int32_t>(DecimalValue(std::vector<uint8_t>(value.text.begin(), value.text.end())));
    }
    return 1;
}

int32_t VaroEngine::EstFileWriteStr(const EngineArg* a) {
    std::string section, name;
    SettingValue value;
    if (!SettingKey(a, &section, &name) || !TextArg(a[3], kMaxValueUnits, &value.text) ||
        EnsureCatalog() != kEngineOk) {
        return 0;
    }
    return AsBool(m_catalog.WriteSetting(a[0].i4, section, name, value));
}

// Hands out the stored text (a number as its decimal text) or the default.
int32_t VaroEngine::EstFileReadStr(const EngineArg* a) {
    std::string section, name, fallback;
    if (!SettingKey(a, &section, &name) || !TextArg(a[3], kMaxValueUnits, &fallback) ||
        EnsureCatalog() != kEngineOk) {
        return 0;
    }
    SettingValue value;
    const int32_t code = m_catalog.ReadSetting(a[0].i4, section, name, &value);
    if (code == kEngineNotFound) return AsBool(TextOut(a[4], fallback));
    if (code != kEngineOk) return 0;
    if (value.isNumber) {
        char digits[16];
        snprintf(digits, sizeof digits, "%d", value.number);
        value.text = digits;
    }
    return AsBool(TextOut(a[4], value.text));
}

int32_t VaroEngine::Init(const EngineArg* a) {
    m_notifier.SetOwner(a[0].address);
    EnsureCatalog();
    return 0;
}

int32_t VaroEngine::SetAdviseData(const EngineArg* a) {
    const int32_t code = m_notifier.AddWatch(static_cast<const WatchList*>(a[0].buffer));
    if (code == kEngineOk) FollowWatchedDatabases();
    return code;
}

int32_t VaroEngine::DelAdviseData(const EngineArg* a) {
    return m_notifier.RemoveWatch(static_cast<const WatchList*>(a[0].buffer));
}

int32_t VaroEngine::SetAdviseCategory(const EngineArg*) {
    m_notifier.AskCategory(true);
    return kEngineOk;
}

int32_t VaroEngine::DelAdviseCategory(const EngineArg*) {
    m_notifier.AskCategory(false);
    return kEngineOk;
}

int32_t VaroEngine::SetAdviseFree(const EngineArg*) {
    m_notifier.AskFree(true);
    return kEngineOk;
}

int32_t VaroEngine::DelAdviseFree(const EngineArg*) {
    m_notifier.AskFree(false);
    return kEngineOk;
}

int32_t VaroEngine::BeginAdviseData(const EngineArg*) {
    m_notifier.Begin();
    return kEngineOk;
}

int32_t VaroEngine::FreeAdviseData(const EngineArg* a) {
    m_notifier.Free(a[0].address);
    return 0;
}

int32_t VaroEngine::SetView(ViewMode mode, const EngineArg* a) {
    return EnsureCatalog() == kEngineOk ? AsBool(m_catalog.SetViewMode(mode, a[0].i4, a[1].i4)) : 0;
}

int32_t VaroEngine::GetView(ViewMode mode, const EngineArg* a) {
    int32_t value = 0;
    if (!a[1].i4Out || EnsureCatalog() != kEngineOk || m_catalog.GetViewMode(mode, a[0].i4, &value) != kEngineOk) {
        return 0;
    }
    *a[1].i4Out = value;
    return 1;
}

int32_t VaroEngine::Set1DayView(const EngineArg* a) { return SetView(ViewMode::OneDayView, a); }
int32_t VaroEngine::Set1DayMode(const EngineArg* a) { return SetView(ViewMode::OneDayMode, a); }
int32_t VaroEngine::SetPBMode(const EngineArg* a) { return SetView(ViewMode::PageBoardMode, a); }
int32_t VaroEngine::Get1DayView(const EngineArg* a) { return GetView(ViewMode::OneDayView, a); }
int32_t VaroEngine::Get1DayMode(const EngineArg* a) { return GetView(ViewMode::OneDayMode, a); }
int32_t VaroEngine::GetPBMode(const EngineArg* a) { return GetView(ViewMode::PageBoardMode, a); }

}  // namespace engine
}  // namespace varo
