#include "app/ORXBootApp.h"

bool CORXBootApp::CreateBroadcastSocket() { return false; }
void CORXBootApp::SendNewbootBroadcast() {}
void CORXBootApp::OnBroadcastReceive() {}
