#include "EngineHost.h"

#include <array>
#include <cassert>
#include <climits>
#include <string>

#include "CodePage.h"
#include "EngineCodes.h"
#include "EngineFactory.h"
#include "EngineOperations.h"

using varo::ArgKind;
using varo::EngineArg;
using varo::ResultKind;

namespace {

int32_t FailureOf(ResultKind result, int32_t code) { return result == ResultKind::Code ? code : 0; }

bool Succeeded(ResultKind result, int32_t value) {
    return result == ResultKind::Code ? value == 0 : value == 1;
}

bool FitsInt32(long v) { return v >= INT32_MIN && v <= INT32_MAX; }

// The storage one call needs to carry the kit's arguments across: converted
// texts, 32-bit stand-ins for 64-bit out values, and handed-out texts. It
// lives on the stack, one place per argument the table allows, so that a
// call allocates nothing but converted texts.
class Marshaller {
public:
    Marshaller() { m_textOut.fill(nullptr); }

    // Fills `out` from `in`, which the engine uses as `param` says; false
    // when a value the engine reads cannot cross unaltered.
    bool In(size_t i, const HostArg& in, const varo::Param& param, EngineArg* out) {
        switch (in.kind) {
        case HostArg::Kind::I4:
            if (!FitsInt32(in.value)) return false;
            out->kind = ArgKind::I4;
            out->i4 = static_cast<int32_t>(in.value);
            return true;
        case HostArg::Kind::U4:
            if (in.unsignedValue > UINT32_MAX) return false;
            out->kind = ArgKind::I4;
            out->i4 = static_cast<int32_t>(static_cast<uint32_t>(in.unsignedValue));
            return true;
        case HostArg::Kind::Bool:
            out->kind = ArgKind::Bool;
            out->flag = in.value != 0;
            return true;
        case HostArg::Kind::Text:
            if (!Cp932ToUtf16(in.text->Bytes(), &m_texts[i])) return false;
            out->kind = ArgKind::Text;
            out->text = m_texts[i].c_str();
            return true;
        case HostArg::Kind::LongOut:
            out->kind = ArgKind::I4Out;
            out->i4Out = nullptr;
            if (!in.longOut) return true;
            if (FitsInt32(*in.longOut)) {
                m_i4[i] = static_cast<int32_t>(*in.longOut);
            } else if (param.access != varo::Access::Write) {
                return false;
            }
            out->i4Out = &m_i4[i];
            return true;
        case HostArg::Kind::I4Out:
            out->kind = ArgKind::I4Out;
            out->i4Out = in.i4Out;
            return true;
        case HostArg::Kind::I2Out:
            out->kind = ArgKind::I2Out;
            out->i2Out = in.i2Out;
            return true;
        case HostArg::Kind::TextOut:
            out->kind = ArgKind::TextOut;
            out->textOut = &m_textOut[i];
            return true;
        case HostArg::Kind::Buffer:
            out->kind = ArgKind::Buffer;
            out->buffer = in.pointer;
            return true;
        case HostArg::Kind::Address:
            out->kind = ArgKind::Address;
            out->address = in.pointer;
            return true;
        case HostArg::Kind::AddressOut:
            out->kind = ArgKind::AddressOut;
            out->addressOut = in.pointerOut;
            return true;
        }
        return false;
    }

    // Hands the engine's outputs back in the kit's forms and releases the
    // engine's texts; false when a handed-out text is not code page 932.
    // 32-bit values are written through whatever the result, as the engine
    // writes them; texts reach the caller only with a successful result.
    bool Out(size_t i, const HostArg& in, varo::Engine* engine, bool deliver) {
        if (in.kind == HostArg::Kind::LongOut && in.longOut) *in.longOut = m_i4[i];
        if (in.kind != HostArg::Kind::TextOut || !m_textOut[i]) return true;
        bool converted = true;
        if (deliver && in.textOut) {
            std::string text;
            converted = Utf16ToCp932(m_textOut[i], &text);
            if (converted) *in.textOut = CString(std::move(text));
        }
        engine->FreeText(m_textOut[i]);
        m_textOut[i] = nullptr;
        return converted;
    }

private:
    std::array<std::u16string, varo::kMaxOperationArgs> m_texts;
    std::array<int32_t, varo::kMaxOperationArgs> m_i4{};
    std::array<char16_t*, varo::kMaxOperationArgs> m_textOut;
};

}  // namespace

CEngineHost::~CEngineHost() { Stop(); }

BOOL CEngineHost::Start(CWnd* parent) {
    if (m_engine) return FALSE;
    varo::Engine* engine = varo::CurrentEngineFactory().Create(varo::KitHostServices());
    if (!engine) return FALSE;
    if (!Create(parent)) {
        varo::CurrentEngineFactory().Destroy(engine);
        return FALSE;
    }
    m_engine = engine;
    return TRUE;
}

BOOL CEngineHost::Stop() {
    if (!m_engine) return FALSE;
    varo::CurrentEngineFactory().Destroy(m_engine);
    m_engine = nullptr;
    return DestroyWindow();
}

int32_t CEngineHost::Call(int op, std::initializer_list<HostArg> args) {
    const varo::OperationInfo* info = varo::FindOperation(op);
    assert(info && "unknown engine operation");
    if (!info) return varo::kEngineBadArgument;
    if (!m_engine) return FailureOf(info->result, varo::kEngineNoEngine);

    const size_t count = args.size();
    const bool countMatches = count == static_cast<size_t>(info->argCount);
    assert(countMatches && "argument count does not match the operation table");
    if (!countMatches) return FailureOf(info->result, varo::kEngineBadArgument);
    Marshaller marshaller;
    EngineArg engineArgs[varo::kMaxOperationArgs];
    size_t i = 0;
    for (const HostArg& arg : args) {
        if (!marshaller.In(i, arg, info->args[i], &engineArgs[i])) return FailureOf(info->result, varo::kEngineBadArgument);
        ++i;
    }
    const bool matches = varo::ArgumentsMatch(*info, engineArgs, static_cast<int>(count));
    assert(matches && "arguments do not match the operation table");
    if (!matches) return FailureOf(info->result, varo::kEngineBadArgument);

    int32_t result = m_engine->Invoke(op, engineArgs, static_cast<int>(count));
    const bool deliver = Succeeded(info->result, result);
    i = 0;
    bool converted = true;
    for (const HostArg& arg : args) converted = marshaller.Out(i++, arg, m_engine, deliver) && converted;
    if (!converted) result = FailureOf(info->result, varo::kEngineBadArgument);
    return result;
}
