// The root of the framework's class tree: a polymorphic base with a virtual
// destructor, so that arrays of object pointers can delete what they own.
#pragma once

#include "VarokitApi.h"

class VAROKIT_API CObject {
public:
    CObject() = default;
    virtual ~CObject() = default;

protected:
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
