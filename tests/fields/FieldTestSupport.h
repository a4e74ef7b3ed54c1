// A kit object with a fresh tip of a chosen kind, the stored bytes of the
// tip record's slots, and getters read as one (result, value) pair.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "KitTestAccess.h"
#include "TipRecord.h"
#include "VAROObj.h"

// A getter's result with the text or number it handed out.
using Text = std::pair<int, std::string>;
using Number = std::pair<int, long long>;

// What a number getter's variable holds when the getter leaves it alone.
const long long kUntouched = 77;

class FieldTest : public ::testing::Test {
protected:
    void NewTip(unsigned short kind) {
        m_kit.SetTipID(0);
        ASSERT_EQ(m_kit.SetTipFlag(kind), 1);
    }
    // The slot's stored bytes, terminators included.
    static std::string Stored(int slot) {
        const TIPFIELD* field = CTipRecord::Global().GetSlot(slot);
        if (!field || !field->data) return std::string();
        return std::string(reinterpret_cast<const char*>(field->data), field->length);
    }
    static uint32_t StoredType(int slot) { return CTipRecord::Global().GetSlot(slot)->type; }
    static void Store(int slot, const std::string& bytes) {
        ASSERT_TRUE(CTipRecord::Global().SetField(bytes.data(), static_cast<uint16_t>(bytes.size()), slot));
    }
    void ReadOnly(bool on) { CVAROObjTestAccess::SetReadOnly(m_kit, on); }

    Text Get(int (CVAROObj::*get)(CString&)) {
        CString text = "stale";
        const int result = (m_kit.*get)(text);
        return {result, text.Bytes()};
    }
    template <class T>
    Number Get(int (CVAROObj::*get)(T*)) {
        T value = static_cast<T>(kUntouched);
        const int result = (m_kit.*get)(&value);
        return {result, static_cast<long long>(value)};
    }

    CVAROObj m_kit;
};

// A std::string of the bytes of a literal, NULs included.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}
