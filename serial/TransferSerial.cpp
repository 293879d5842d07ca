#include "serial/TransferSerial.h"

#include <cerrno>

#include "platform/LastError.h"
#include "platform/SerialPort.h"

CTransferSerial::CTransferSerial(CORXBootApp& app, const std::string& strPort, int32_t nBaud)
    : m_app(app) {
    Open(strPort, nBaud);
}
CTransferSerial::~CTransferSerial() { Shutdown(); }
bool CTransferSerial::Open(const std::string& strPort, int32_t) {
    m_strPort = strPort;
    SetLastError(ENODEV);
    return false;
}
void CTransferSerial::Close() {}
void CTransferSerial::RequestStop() { m_bStop = true; }
bool CTransferSerial::Shutdown() { return true; }
bool CTransferSerial::QueueSend(const uint8_t*, int) { return false; }
bool CTransferSerial::Write(const uint8_t*, int) { return false; }
void CTransferSerial::PurgeInput() {}
int CTransferSerial::Read(uint8_t*, int, uint32_t) { return -1; }
int CTransferSerial::WaitForChar(int, uint32_t, uint8_t*, int) { return -1; }
int CTransferSerial::ReadLine(uint8_t*, int) { return -1; }
bool CTransferSerial::SendKey(int, uint32_t) { return false; }
bool CTransferSerial::SendText(const char*, uint32_t) { return false; }
bool CTransferSerial::IsOpen() const { return m_hPort != nullptr; }
bool EnumerateSerialPorts(ISerialPortFactory&, std::vector<std::string>&) { return true; }
