// A second process for the end-to-end tests:
//   e2e_probe put DB FUKURO TIP MEMO   stores MEMO into the tip, prints the code
//   e2e_probe lock DB FUKURO           holds the fukuro locked until stdin ends
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "VAROObj.h"

namespace {

int Put(CVAROObj& kit, long db, long fukuro, long tip, const char* memo) {
    long code = kit.Open(db);
    if (code == 0) code = kit.GetTip(db, fukuro, tip);
    if (code == 0) code = kit.SetMemo(memo) == 1 ? 0 : -1;
    long stored = 0;
    if (code == 0) code = kit.PutTip(db, fukuro, &stored);
    std::printf("%ld\n", code);
    return code == 0 ? 0 : 1;
}

int Lock(CVAROObj& kit, long db, long fukuro) {
    long code = kit.Open(db);
    if (code == 0) code = kit.FukuroLockOpen(db, fukuro);
    std::printf("%ld\n", code);
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    kit.FukuroClose(db, fukuro);
    return code == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    CVAROObj kit;
    if (argc < 4 || kit.Init(nullptr) != 1) return 2;
    const long db = std::atol(argv[2]);
    const long fukuro = std::strtol(argv[3], nullptr, 0);
    if (std::strcmp(argv[1], "put") == 0 && argc == 6) return Put(kit, db, fukuro, std::atol(argv[4]), argv[5]);
    if (std::strcmp(argv[1], "lock") == 0) return Lock(kit, db, fukuro);
    return 2;
}
