#include "VAROObj.h"

CSelectTips::CSelectTips() = default;
CSelectTips::~CSelectTips() = default;

int CSelectTips::UnSelectTipID(long tip) {
    for (int i = 0; i < GetSize(); ++i) {
        if (static_cast<long>(static_cast<int32_t>(GetAt(i))) == tip) {
            RemoveAt(i);
            return 1;
        }
    }
    return 0;
}
