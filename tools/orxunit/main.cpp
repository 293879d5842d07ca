// orxunit: stands in for units on the network and on serial lines.
#include <cstdio>
#include <cstring>

#include "tools/orxunit/NetUnit.h"
#include "tools/orxunit/SerialUnit.h"

namespace {

const char kUsage[] =
    "usage: orxunit net ...     boot like a unit on the network\n"
    "       orxunit listen ...  receive one plain TFTP write, for comparisons\n"
    "       orxunit serial ...  boot like a unit on a serial line\n"
    "Each mode tells its options with --help.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const char* pszMode = argv[1];
    if (std::strcmp(pszMode, "net") == 0) return RunNetUnit(argc - 1, argv + 1);
    if (std::strcmp(pszMode, "listen") == 0) return RunListenUnit(argc - 1, argv + 1);
    if (std::strcmp(pszMode, "serial") == 0) return RunSerialUnit(argc - 1, argv + 1);
    if (std::strcmp(pszMode, "--help") == 0 || std::strcmp(pszMode, "-h") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fprintf(stderr, "orxunit: unknown mode '%s'\n%s", pszMode, kUsage);
    return 2;
}
