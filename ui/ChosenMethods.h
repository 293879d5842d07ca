#pragma once
#include <QObject>

// The transfer methods as last clicked on the Select page, before they are applied: the
// other pages and the Start button follow these, not the settings.
class CChosenMethods : public QObject {
    Q_OBJECT
public:
    CChosenMethods(bool bNet, bool bSerial, QObject* pParent);

    bool Net() const { return m_bNet; }
    bool Serial() const { return m_bSerial; }
    // Tells changed() even when nothing changed: the Select page's first show is news to
    // the pages that follow it.
    void Set(bool bNet, bool bSerial);

signals:
    void changed();

private:
    bool m_bNet;
    bool m_bSerial;
};
