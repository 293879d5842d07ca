#include "ui/ChosenMethods.h"

CChosenMethods::CChosenMethods(bool bNet, bool bSerial, QObject* pParent)
    : QObject(pParent), m_bNet(bNet), m_bSerial(bSerial) {}

void CChosenMethods::Set(bool bNet, bool bSerial) {
    m_bNet = bNet;
    m_bSerial = bSerial;
    emit changed();
}
