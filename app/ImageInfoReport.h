#pragma once
// `orxboot --info [--json] FILE`: a boot image's contents as text for people or JSON for scripts.
#include <cstdio>
#include <string>
#include <vector>

#include "app/ImageInfo.h"

std::string FormatImageInfoText(const CImageInfo& info);
std::string FormatImageInfoJson(const CImageInfo& info);

// The report on pOut; when the image is not sound, one line on pErr saying why and exit
// code 1; 2 for a command line without exactly one file.
int RunImageInfo(const std::vector<std::string>& arrArgs, FILE* pOut, FILE* pErr);
