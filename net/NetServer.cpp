#include "app/ORXBootApp.h"

int CORXBootApp::OnNetSocket(int64_t, int64_t) { return 0; }
void CORXBootApp::OnNetTimer(uint32_t) {}
void CORXBootApp::OnServerReceive() {}
void CORXBootApp::CheckRetransmits() {}
void CORXBootApp::ClearArpEntry(uint32_t) {}
