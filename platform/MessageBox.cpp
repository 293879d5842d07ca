#include "platform/MessageBox.h"

#include <cstdio>

int CStderrMessageBox::Show(const std::string& strText, unsigned nType) {
    std::fprintf(stderr, "%s\n", strText.c_str());
    std::fflush(stderr);
    if ((nType & 0xF) == MB_YESNO) {
        std::fprintf(stderr, "(answered Yes: headless mode keeps serving)\n");
        std::fflush(stderr);
        return IDYES;
    }
    return IDOK;
}
