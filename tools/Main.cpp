// varo: the command-line program of the suite's kit, for the people who keep
// their data with it and for the developers of its applications.
#include <string>
#include <vector>

#include "Commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    return varo::tool::Dispatch(words);
}
