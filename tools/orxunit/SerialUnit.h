#pragma once

// The serial side of the unit simulator: orxunit serial [options].
int RunSerialUnit(int argc, char** argv);
