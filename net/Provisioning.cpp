#include "app/ORXBootApp.h"

bool CORXBootApp::PingAddress(uint32_t) { return false; }
bool CORXBootApp::FindFreeAddress(uint32_t&, int) { return true; }
uint32_t CORXBootApp::ReadAdapterAddress() { return 0; }
void CORXBootApp::LoadNetworkParams() {}
