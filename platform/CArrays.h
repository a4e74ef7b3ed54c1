// The framework's growable arrays: CDWordArray, CPtrArray, CObArray,
// CStringArray and the typed pointer view CTypedPtrArray.
//
// All share one template, CArrayOf<T>, over std::vector. An array owns its
// elements by value; the pointer arrays own only the pointers, never what
// they point to. Indexes are ints counted from 0. An index outside the array
// (for GetAt, SetAt, ElementAt, operator[], RemoveAt) is a caller's error: it
// is caught by assert in debug builds and undefined otherwise. InsertAt, like
// the original, accepts an index past the end and fills the gap with
// zero-valued elements. Unlike the original, arrays may be copied; copies are
// independent. References and GetData pointers stay valid only until the
// array's size next changes.
#pragma once

#include <cassert>
#include <vector>

#include "CObject.h"
#include "CString.h"
#include "VarokitApi.h"
#include "WinTypes.h"

template <class T>
class CArrayOf : public CObject {
public:
    typedef T ElementType;

    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_items.empty(); }

    // New elements are zero-valued. `growBy` is accepted for the original's
    // callers; std::vector chooses its own growth.
    void SetSize(int newSize, int /*growBy*/ = -1) {
        assert(newSize >= 0);
        m_items.resize(static_cast<size_t>(newSize));
    }

    const T& GetAt(int index) const { return m_items[Checked(index)]; }
    void SetAt(int index, const T& value) { m_items[Checked(index)] = value; }
    T& ElementAt(int index) { return m_items[Checked(index)]; }
    const T& operator[](int index) const { return GetAt(index); }
    T& operator[](int index) { return ElementAt(index); }

    // Returns the index of the new element.
    int Add(const T& value) {
        m_items.push_back(value);
        return GetUpperBound();
    }

    // Inserts `count` copies of `value` before `index`; an index past the end
    // first grows the array to `index` elements.
    void InsertAt(int index, const T& value, int count = 1) {
        assert(index >= 0 && count >= 0);
        if (index > GetSize()) SetSize(index);
        m_items.insert(m_items.begin() + index, static_cast<size_t>(count), value);
    }

    // Removes `count` elements starting at `index`; all must exist.
    void RemoveAt(int index, int count = 1) {
        assert(index >= 0 && count >= 0 && index + count <= GetSize());
        m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
    }

    void RemoveAll() { m_items.clear(); }

    void Copy(const CArrayOf& source) {
        if (&source != this) m_items = source.m_items;
    }

    // Appends the elements of `source`, which may be this array, and
    // returns the index of the first of them.
    int Append(const CArrayOf& source) {
        const int first = GetSize();
        const size_t added = source.m_items.size();
        m_items.reserve(m_items.size() + added);
        for (size_t i = 0; i < added; ++i) m_items.push_back(source.m_items[i]);
        return first;
    }

    T* GetData() { return m_items.data(); }
    const T* GetData() const { return m_items.data(); }

private:
    size_t Checked(int index) const {
        assert(index >= 0 && index < GetSize());
        return static_cast<size_t>(index);
    }

    std::vector<T> m_items;
};

class VAROKIT_API CDWordArray : public CArrayOf<DWORD> {};
class VAROKIT_API CPtrArray : public CArrayOf<void*> {};
class VAROKIT_API CObArray : public CArrayOf<CObject*> {};
class VAROKIT_API CStringArray : public CArrayOf<CString> {};

// A typed view of a pointer array: CTypedPtrArray<CPtrArray, CTip*> keeps its
// pointers in the CPtrArray (or CObArray) it derives from, so it can be passed
// wherever that base is expected, and hands them out as CTip*. T is the
// pointer type itself, as in the original.
//
// ElementAt and the non-const operator[] return a Slot rather than T&: the
// base stores its own pointer type, and a T& into it would alias a different
// type. A Slot can be assigned a T, converts to T, and supports ->, so
// `a[i] = p`, `a[i]->Name()`, `T p = a[i]` and `delete a[i]` read as usual;
// like a reference, it is valid only until the array's size next changes.
template <class Base, class T>
class CTypedPtrArray : public Base {
    typedef typename Base::ElementType Stored;

public:
    class Slot {
    public:
        explicit Slot(Stored& stored) : m_stored(stored) {}
        Slot(const Slot&) = default;
        // Assigning one slot to another copies the pointer, as for T&.
        Slot& operator=(const Slot& other) { return *this = static_cast<T>(other); }
        Slot& operator=(T value) {
            m_stored = value;
            return *this;
        }
        operator T() const { return static_cast<T>(m_stored); }  // NOLINT
        T operator->() const { return *this; }

    private:
        Stored& m_stored;
    };

    int Add(T value) { return Base::Add(value); }
    T GetAt(int index) const { return static_cast<T>(Base::GetAt(index)); }
    void SetAt(int index, T value) { Base::SetAt(index, value); }
    Slot ElementAt(int index) { return Slot(Base::ElementAt(index)); }
    T operator[](int index) const { return GetAt(index); }
    Slot operator[](int index) { return ElementAt(index); }
    void InsertAt(int index, T value, int count = 1) { Base::InsertAt(index, value, count); }
};
