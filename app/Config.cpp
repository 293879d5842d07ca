#include "app/Config.h"

#include "platform/Profile.h"

void CORXBootConfig::Load(IProfile&) {}
void CORXBootConfig::Save(IProfile&) const {}
void CORXBootConfig::ParseParam(const std::string&) {}
