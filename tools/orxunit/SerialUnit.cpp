#include "tools/orxunit/SerialUnit.h"

#include <cstdio>

int RunSerialUnit(int, char**) {
    std::fprintf(stderr, "orxunit: the serial side is not built yet\n");
    return 2;
}
