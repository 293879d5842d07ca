#pragma once
// The lines orxunit prints about finished sessions.
#include <vector>

#include "tools/orxunit/UnitLoop.h"

namespace orxunit {

// One stdout line per unit that got its image, one stderr line per unit that did not,
// and with several units a total line; returns the exit code of the whole run.
int ReportUnits(const std::vector<CUnitSlot>& arrSlots);

}  // namespace orxunit
