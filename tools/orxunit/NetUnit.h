#pragma once

// The network side of the unit simulator: orxunit net [options].
int RunNetUnit(int argc, char** argv);
// A plain TFTP write receiver for comparisons: orxunit listen [options].
int RunListenUnit(int argc, char** argv);
