// Lets tests set the kit object's state that applications reach only
// through the engine (the read-only flag) and inspect its staging text.
#pragma once

#include "VAROObj.h"

class CVAROObjTestAccess {
public:
    static void SetReadOnly(CVAROObj& kit, bool readOnly) { kit.m_readOnly = readOnly ? TRUE : FALSE; }
    static const CString& Staging(const CVAROObj& kit) { return kit.m_staging; }
    static char* ConvertCode(CVAROObj& kit, const char* data, unsigned short length, unsigned short* out) {
        return kit.ConvertCode(data, length, out);
    }
    static char* CutCRLF(CVAROObj& kit, const char* data, unsigned short length, unsigned short* out) {
        return kit.CutCRLF(data, length, out);
    }
};
