#pragma once
#include <QCoreApplication>
#include <memory>

#include "app/AppFront.h"

class CORXBootApp;

// False when there is no display to open a window on (and no platform chosen).
bool HasDisplay();

// The window's application object, with its pictures and icon in place.
std::unique_ptr<QCoreApplication> MakeWindowApplication(int& argc, char** argv);

// The window face on this desktop: its message boxes, file dialogs and the places the
// windows had when they last closed.
std::unique_ptr<IAppFront> MakeDesktopFront(CORXBootApp& app);
