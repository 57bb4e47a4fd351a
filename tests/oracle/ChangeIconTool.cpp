// change-icon EXE GROUP ICON: ChangeIconGroup from the command line, for the oracle test.
#include <cstdio>

#include "iconchanger/IconChangerUnit.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: change-icon EXE GROUP ICON\n");
        return 2;
    }
    return kolvane::iconchanger::ChangeIconGroup(argv[1], argv[2], argv[3]) ? 0 : 1;
}
