#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstring>
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

// orx_ui_tests [Class [Qt Test options]]: one class, or every class in turn.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    InitUiResources();
    if (argc > 1 && argv[1][0] != '-') {
        auto it = Registry().find(argv[1]);
        if (it == Registry().end()) {
            std::fprintf(stderr, "no test class %s\n", argv[1]);
            return 2;
        }
        auto pTest = it->second();
        argv[1] = argv[0];
        return QTest::qExec(pTest.get(), argc - 1, argv + 1);
    }
    int nFailed = 0;
    for (auto& [strName, fnMake] : Registry()) {
        auto pTest = fnMake();
        nFailed += QTest::qExec(pTest.get(), argc, argv);
    }
    return nFailed;
}
