#pragma once
#include <QIcon>
#include <QPixmap>

// Our own pictures, compiled in from res/.
enum class EPicture {
    AppIcon,         // the application icon
    Select,          // Select page; no transfer method chosen
    NetPage,         // Ethernet page
    NetTransfer,     // Ethernet transfer
    SerialPage,      // Serial page and the terminal
    SerialTransfer,  // serial transfer
    About,           // About box and the wizard's first page
    Note,            // note and warning lines
};

// Registers the compiled-in pictures and what screen readers are told; call once before
// the first window.
void InitUiResources();
// The picture drawn at nHeight pixels, its width following the drawing's proportions.
QPixmap Picture(EPicture ePicture, int nHeight);
QIcon AppIcon();
