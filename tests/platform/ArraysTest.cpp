#include <gtest/gtest.h>

#include <vector>

#include "CArrays.h"

namespace {

std::vector<DWORD> Items(const CDWordArray& a) { return std::vector<DWORD>(a.GetData(), a.GetData() + a.GetSize()); }

TEST(ArraysTest, EditsInsertPastTheEndAndAppendToItself) {
    CDWordArray a;
    EXPECT_EQ(a.Add(10), 0);
    EXPECT_EQ(a.Add(20), 1);
    a.Add(30);
    a.SetAt(1, 21);
    a.ElementAt(2) = 31;
    a[0] = 11;
    EXPECT_EQ(Items(a), (std::vector<DWORD>{11, 21, 31}));
    a.RemoveAt(0);
    a.InsertAt(4, 99);  // the gap is filled with zeros
    EXPECT_EQ(Items(a), (std::vector<DWORD>{21, 31, 0, 0, 99}));

    CDWordArray b;
    b.Copy(a);
    a.RemoveAll();
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(b.Append(b), 5);
    EXPECT_EQ(Items(b), (std::vector<DWORD>{21, 31, 0, 0, 99, 21, 31, 0, 0, 99}));
    b.SetSize(2);
    EXPECT_EQ(b.GetUpperBound(), 1);
}

TEST(ArraysTest, TypedPointerArraysKeepTheirPointersInTheBase) {
    struct Item : CObject {
        explicit Item(int v) : value(v) {}
        int value;
    };
    Item one(1), two(2);
    CTypedPtrArray<CPtrArray, Item*> items;
    items.Add(&one);
    items.Add(&two);
    EXPECT_EQ(items[1]->value, 2);
    items[0] = items[1];  // copies the pointer, as a reference would
    Item* first = items[0];
    EXPECT_EQ(first, &two);
    CPtrArray& base = items;
    EXPECT_EQ(base.GetAt(1), static_cast<void*>(&two));
    items.SetAt(1, &one);
    EXPECT_EQ(items.GetAt(1)->value, 1);
    EXPECT_EQ(items.GetAt(0)->value, 2);
}

}  // namespace
