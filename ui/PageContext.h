#pragma once

class CChosenMethods;
class CORXBootApp;
class IFileDialog;
class IMessageBox;

// What an advanced page works with: the engine and its settings, the boxes and file
// dialogs of the face, and the methods chosen on the Select page.
struct CPageContext {
    CORXBootApp& app;
    IMessageBox& boxes;
    IFileDialog& files;
    CChosenMethods& methods;
};
