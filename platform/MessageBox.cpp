#include "platform/MessageBox.h"

#include <cstdio>

int CStderrMessageBox::Show(const std::string& strText, unsigned nType) {
    std::fprintf(m_pErr, "%s\n", strText.c_str());
    std::fflush(m_pErr);
    if ((nType & 0xF) == MB_YESNO) {
        std::fprintf(m_pErr, "(answered Yes: headless mode keeps serving)\n");
        std::fflush(m_pErr);
        return IDYES;
    }
    return IDOK;
}
