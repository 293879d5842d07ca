#include "app/ORXBootApp.h"
#include "serial/TransferSerial.h"

int CORXBootApp::ServeSerialPort(CTransferSerial&) { return 0; }
int CORXBootApp::CheckSerialBootRequest(CTransferSerial&, uint8_t*, int) { return 1; }
bool CORXBootApp::SerialDownload(CTransferSerial&) { return false; }
