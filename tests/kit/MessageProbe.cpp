// Prints the five notification message numbers as this program's own static
// initialisers read them, one per line, then the year of a CPIMTime built by
// a static initialiser: the kit must have set both up by then. The test that
// runs it compares the numbers across processes.
#include <cstdio>

#include "PIMTime.h"
#include "VAROObj.h"

namespace {

const UINT kNumbersAtStart[] = {WM_ON_ADVISEDATA, WM_ON_ADVISEDBNAME, WM_ON_ADVISEDBCOLOR, WM_ON_ADVISECATEGORY,
                                WM_ON_ADVISEFREE};
const CPIMTime kTimeAtStart(2027, 1, 31, 0, 0, 0);

}  // namespace

int main() {
    for (UINT number : kNumbersAtStart) std::printf("%u\n", number);
    std::printf("%d\n", kTimeAtStart.GetYear());
    return 0;
}
