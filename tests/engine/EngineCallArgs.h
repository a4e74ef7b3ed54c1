// Builders of the engine's call arguments, one per argument kind, for the
// programs that call an engine directly: its tests and the fuzz targets.
#pragma once

#include <cstdint>

#include "EngineInterface.h"

namespace engineargs {

template <typename T>
varo::EngineArg MakeArg(varo::ArgKind kind, T varo::EngineArg::*member, T value) {
    varo::EngineArg arg;
    arg.kind = kind;
    arg.*member = value;
    return arg;
}
inline varo::EngineArg I4(int32_t v) { return MakeArg(varo::ArgKind::I4, &varo::EngineArg::i4, v); }
inline varo::EngineArg Flag(bool v) { return MakeArg(varo::ArgKind::Bool, &varo::EngineArg::flag, v); }
inline varo::EngineArg Text(const char16_t* v) { return MakeArg(varo::ArgKind::Text, &varo::EngineArg::text, v); }
inline varo::EngineArg I4Out(int32_t* v) { return MakeArg(varo::ArgKind::I4Out, &varo::EngineArg::i4Out, v); }
inline varo::EngineArg I2Out(int16_t* v) { return MakeArg(varo::ArgKind::I2Out, &varo::EngineArg::i2Out, v); }
inline varo::EngineArg TextOut(char16_t** v) { return MakeArg(varo::ArgKind::TextOut, &varo::EngineArg::textOut, v); }
inline varo::EngineArg Buffer(void* v) { return MakeArg(varo::ArgKind::Buffer, &varo::EngineArg::buffer, v); }
inline varo::EngineArg Address(void* v) { return MakeArg(varo::ArgKind::Address, &varo::EngineArg::address, v); }
inline varo::EngineArg AddressOut(void** v) { return MakeArg(varo::ArgKind::AddressOut, &varo::EngineArg::addressOut, v); }

}  // namespace engineargs
