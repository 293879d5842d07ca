#pragma once
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "base/Views.h"
#include "ui/WindowPlaces.h"

class CORXBootApp;
class CTerminalEditCtrl;
class IFileDialog;
class IMessageBox;

// The serial terminal: a top-level window that shows what the serial ports receive and
// sends what the user types to the first port. The object lives for the whole run; its
// window is made and destroyed as often as the user opens and closes it, and comes back
// with the size and place it last had. Its title says so while the port's line is down.
class CTerminalWnd : public ITerminalView {
public:
    CTerminalWnd(CORXBootApp& app, IMessageBox& boxes, IFileDialog& files);
    ~CTerminalWnd() override;
    CTerminalWnd(const CTerminalWnd&) = delete;
    CTerminalWnd& operator=(const CTerminalWnd&) = delete;

    // Opens the window on the first port (COMPORT at COMBAUD when none is open yet), or
    // brings it to the front. Nothing opens when the port does not (the engine told why).
    void OpenTerminal();
    bool Exists() const { return m_pWindow != nullptr; }
    // The servers stop or the program ends: the window goes, TERMINAL stays as it is.
    void DestroyTerminal();

    QWidget* Window() const { return m_pWindow; }
    CTerminalEditCtrl* EditCtrl() const;

private:
    friend class CTerminalFrame;
    // The user closed the window: it is not reopened at the next start.
    void OnUserClose();
    void Destroy(bool bLater);
    static void PlaceNearSheet(QWidget* pWindow);
    // "Serial Port Terminal - COMn", with " (Disconnected)" while the line is down.
    void UpdateTitle();
    void SaveAs();
    void OnSerialText(const std::vector<uint8_t>& bytes) override;

    CORXBootApp& m_app;
    IMessageBox& m_boxes;
    IFileDialog& m_files;
    QPointer<QWidget> m_pWindow;
    QTimer m_timerLine;  // looks at the line while the window is open
    QPointer<CTerminalEditCtrl> m_pEdit;
    CWindowPlaces m_places;  // this run's only: where the last window was
};
