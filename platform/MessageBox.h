#pragma once
#include <cstdio>
#include <string>

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual int Show(const std::string& strText, unsigned nType) = 0;
};

// Headless boxes: the text on stderr; a question takes the answer that keeps serving.
class CStderrMessageBox : public IMessageBox {
public:
    explicit CStderrMessageBox(std::FILE* pErr = stderr) : m_pErr(pErr) {}
    int Show(const std::string& strText, unsigned nType) override;

private:
    std::FILE* m_pErr;
};
