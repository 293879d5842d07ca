#pragma once
// `orxboot --history [--json]`: the boot history kept so far, as a table for people or as
// JSON lines for scripts.
#include <cstdio>
#include <string>
#include <vector>

// The folder the boot history of this user is kept in.
std::string HistoryFolder();

// The report on pOut, oldest record first; exit 1 when a kept file could not be read
// (what could be read is still shown), 2 for an unknown argument.
int RunHistory(const std::vector<std::string>& arrArgs, FILE* pOut, FILE* pErr);
