#include "ui/TerminalWnd.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "app/ORXBootApp.h"
#include "platform/MessageBox.h"
#include "ui/FileDialog.h"
#include "ui/ModalSheet.h"
#include "ui/Pictures.h"
#include "ui/TerminalEditCtrl.h"
#include "ui/WindowPlaces.h"

// The window of one opening of the terminal.
class CTerminalFrame : public QWidget {
public:
    explicit CTerminalFrame(CTerminalWnd& owner) : QWidget(nullptr, Qt::Window), m_owner(owner) {}

protected:
    void closeEvent(QCloseEvent* pEvent) override {
        pEvent->accept();
        m_owner.OnUserClose();
    }

private:
    CTerminalWnd& m_owner;
};

// Often enough that a pulled adapter shows before the user types into it.
constexpr int kLineCheckMs = 500;

CTerminalWnd::CTerminalWnd(CORXBootApp& app, IMessageBox& boxes, IFileDialog& files)
    : m_app(app), m_boxes(boxes), m_files(files) {
    m_timerLine.setInterval(kLineCheckMs);
    QObject::connect(&m_timerLine, &QTimer::timeout, [this] { UpdateTitle(); });
}

CTerminalWnd::~CTerminalWnd() {
    DestroyTerminal();
}

void CTerminalWnd::OpenTerminal() {
    if (m_pWindow) {
        m_pWindow->showNormal();
        m_pWindow->raise();
        m_pWindow->activateWindow();
        m_pEdit->setFocus(Qt::ActiveWindowFocusReason);
        return;
    }
    // Attached before the port opens, so the unit's first bytes are not lost.
    m_app.AttachTerminal(this);
    if (!m_app.OpenSerialPort()) {
        m_app.AttachTerminal(nullptr);
        return;
    }
    auto* pWindow = new CTerminalFrame(*this);
    pWindow->setObjectName("terminalWindow");
    pWindow->setWindowIcon(QIcon(Picture(EPicture::SerialPage, 32)));
    m_pEdit = new CTerminalEditCtrl(
        [this](const uint8_t* pBytes, size_t nCount) {
            return m_app.SendTerminalBytes(pBytes, nCount);
        },
        pWindow);
    m_pEdit->m_fnSaveAs = [this] { SaveAs(); };
    auto* pLayout = new QVBoxLayout(pWindow);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(m_pEdit);
    pWindow->setFocusProxy(m_pEdit);
    pWindow->resize(500, 400);
    // Where it was left, but never partly off the screen.
    if (!m_places.Restore(pWindow, QStringLiteral("terminal"))) PlaceNearSheet(pWindow);
    m_pWindow = pWindow;
    UpdateTitle();
    m_timerLine.start();
    m_app.Config().m_bTerminal = true;
    pWindow->show();
    pWindow->raise();
    pWindow->activateWindow();
    m_pEdit->setFocus(Qt::ActiveWindowFocusReason);
}

// A little below and right of the sheet, as windows cascade, but wholly on its screen:
// left to the window manager it can open half off the bottom.
void CTerminalWnd::PlaceNearSheet(QWidget* pWindow) {
    const QWidget* pSheet = CModalSheet::Shown();
    // The frame is not known before the window is shown; the sheet's is the best guess.
    const QMargins border = pSheet ? FrameBorder(pSheet) : QMargins();
    if (pSheet) {
        pWindow->move(pSheet->geometry().topLeft() + QPoint(40, 40));
    } else if (const QScreen* pScreen = QGuiApplication::primaryScreen()) {
        pWindow->move(pScreen->availableGeometry().topLeft());
    }
    KeepOnScreen(pWindow, border);
}

void CTerminalWnd::DestroyTerminal() {
    Destroy(false);
}

void CTerminalWnd::OnUserClose() {
    m_app.Config().m_bTerminal = false;
    Destroy(true);
}

void CTerminalWnd::Destroy(bool bLater) {
    if (!m_pWindow) return;
    m_places.Save(m_pWindow, QStringLiteral("terminal"));
    m_timerLine.stop();
    // The unit may be left at its menu by hand; the next one is driven again.
    m_app.Config().m_nComAutoMenu = 1;
    m_app.AttachTerminal(nullptr);
    QWidget* pWindow = m_pWindow;
    m_pWindow = nullptr;
    m_pEdit = nullptr;
    if (bLater) {
        pWindow->hide();
        pWindow->deleteLater();  // we are inside its close event
    } else {
        delete pWindow;
    }
    // While the servers run the ports are theirs; otherwise the port was the terminal's.
    if (!m_app.ServersRunning()) m_app.CloseSerialPorts();
}

void CTerminalWnd::UpdateTitle() {
    if (!m_pWindow) return;
    QString strTitle = QString("Serial Port Terminal - %1")
                           .arg(QString::fromStdString(m_app.Config().m_strComPort));
    if (m_app.TerminalLineDown()) strTitle += QObject::tr(" (Disconnected)");
    if (m_pWindow->windowTitle() != strTitle) m_pWindow->setWindowTitle(strTitle);
}

void CTerminalWnd::SaveAs() {
    SaveTextAs(m_files, m_boxes, m_pWindow, QObject::tr("Save As").toStdString(),
               "terminal-" + m_app.Config().m_strComPort + ".txt",
               QObject::tr("Text files (*.txt)").toStdString(),
               "The terminal's text could not be saved to",
               [this] { return m_pEdit->toPlainText().toStdString(); });
}

void CTerminalWnd::OnSerialText(const std::vector<uint8_t>& bytes) {
    if (m_pEdit) m_pEdit->AppendTerminalText(bytes.data(), bytes.size());
}

CTerminalEditCtrl* CTerminalWnd::EditCtrl() const {
    return m_pEdit;
}
