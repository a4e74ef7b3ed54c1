// CVAROObj: the four members that front the process-wide tip record.
#include <cstdint>

#include "TipRecord.h"
#include "VAROObj.h"

// Ids are stored in 32 bits: a wider value is refused (0) and the current
// id kept, rather than cut to another tip's id.
int CVAROObj::SetTipID(long tip) {
    if (tip < INT32_MIN || tip > INT32_MAX) return 0;
    CTipRecord::Global().SetID(static_cast<int32_t>(tip));
    return 1;
}

int CVAROObj::GetTipID(long* tip) {
    if (tip) *tip = CTipRecord::Global().GetID();
    return 1;
}

int CVAROObj::SetTipFlag(unsigned short kind) {
    const int result = CTipRecord::Global().SetKind(kind);
    ResetTipCaches();
    return result;
}

int CVAROObj::GetTipFlag(unsigned short* kind) {
    if (kind) *kind = CTipRecord::Global().GetKind();
    return 1;
}

// A new tip starts with empty list texts and without the blocks handed out
// for the tip before; the staging text is kept.
void CVAROObj::ResetTipCaches() {
    for (HGLOBAL* text : {&m_telList, &m_faxList, &m_emailList}) {
        if (*text) GlobalFree(*text);
        *text = GlobalAlloc(GHND, 1);
    }
    for (HGLOBAL* copy : {&m_portraitCopy, &m_preferenceCopy, &m_imageCopy, &m_inkCopy, &m_bitmapCopy,
                          &m_dataCopy}) {
        if (*copy) GlobalFree(*copy);
        *copy = nullptr;
    }
}
