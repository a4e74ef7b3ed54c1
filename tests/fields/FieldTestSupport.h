// A kit object with a fresh tip of a chosen kind, and the stored bytes of
// the tip record's slots.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "KitTestAccess.h"
#include "TipRecord.h"
#include "VAROObj.h"

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

    CVAROObj m_kit;
};

// A std::string of the bytes of a literal, NULs included.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}
