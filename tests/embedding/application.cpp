// The smallest program of an application that embeds the kit.
#include "VAROObj.h"

int main() {
    CVAROObj kit;
    return 0;
}
