// Prints the five notification message numbers of this process, one per
// line, for the test that compares them across processes.
#include <cstdio>

#include "VAROObj.h"

int main() {
    std::printf("%u\n%u\n%u\n%u\n%u\n", WM_ON_ADVISEDATA, WM_ON_ADVISEDBNAME, WM_ON_ADVISEDBCOLOR,
                WM_ON_ADVISECATEGORY, WM_ON_ADVISEFREE);
    return 0;
}
