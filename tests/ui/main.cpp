#include <QApplication>
#include <cstdio>
#include <map>
#include <string>

#include "tests/ui/UiTest.h"
#include "ui/Pictures.h"

namespace {
std::map<std::string, FMakeUiTest>& Registry() {
    static std::map<std::string, FMakeUiTest> map;
    return map;
}
}  // namespace

int RegisterUiTest(const char* pszName, FMakeUiTest fnMake) {
    Registry()[pszName] = std::move(fnMake);
    return 0;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    InitUiResources();
    auto it = argc > 1 ? Registry().find(argv[1]) : Registry().end();
    if (it == Registry().end()) {
        std::fprintf(stderr, "usage: orx_ui_tests <test class> [Qt Test options]\n");
        return 2;
    }
    auto pTest = it->second();
    argv[1] = argv[0];
    return QTest::qExec(pTest.get(), argc - 1, argv + 1);
}
