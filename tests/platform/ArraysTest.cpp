#include <gtest/gtest.h>

#include "CArrays.h"

namespace {

TEST(ArraysTest, DWordArrayEdits) {
    CDWordArray a;
    EXPECT_EQ(a.Add(10), 0);
    EXPECT_EQ(a.Add(20), 1);
    a.Add(30);
    EXPECT_EQ(a.GetSize(), 3);
    a.SetAt(1, 21);
    a.ElementAt(2) = 31;
    a[0] = 11;
    EXPECT_EQ(a.GetAt(0), 11u);
    EXPECT_EQ(a[1], 21u);
    EXPECT_EQ(a[2], 31u);
    a.RemoveAt(0);
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a[0], 21u);
    a.InsertAt(4, 99);
    EXPECT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[2], 0u);
    EXPECT_EQ(a[4], 99u);

    CDWordArray b;
    b.Copy(a);
    a.RemoveAll();
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(b.GetSize(), 5);
    b.Append(b);
    EXPECT_EQ(b.GetSize(), 10);
    EXPECT_EQ(b[9], 99u);
    b.SetSize(2);
    EXPECT_EQ(b.GetUpperBound(), 1);
}

TEST(ArraysTest, StringAndTypedPointerArrays) {
    CStringArray names;
    names.Add("a");
    names.Add(CString("b"));
    names[0] += "x";
    EXPECT_EQ(names.GetAt(0), "ax");

    struct Item : CObject {
        explicit Item(int v) : value(v) {}
        int value;
    };
    Item one(1), two(2);
    CTypedPtrArray<CPtrArray, Item*> items;
    items.Add(&one);
    items.Add(&two);
    EXPECT_EQ(items[1]->value, 2);
    items[0] = items[1];
    Item* first = items[0];
    EXPECT_EQ(first, &two);
    CPtrArray& base = items;
    EXPECT_EQ(base.GetAt(1), static_cast<void*>(&two));
    items.SetAt(1, &one);
    EXPECT_EQ(items.GetAt(1)->value, 1);
}

}  // namespace
