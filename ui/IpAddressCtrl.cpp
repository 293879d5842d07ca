#include "ui/IpAddressCtrl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <utility>

#include "platform/Socket.h"

namespace {
constexpr int kDigits = 3;

bool IsGoodPart(const QString& str) {
    bool bOk = false;
    const int n = str.toInt(&bOk);
    return bOk && !str.isEmpty() && n >= 0 && n <= 255;
}
}  // namespace

CIpAddressCtrl::CIpAddressCtrl(QWidget* pParent) : QWidget(pParent) {
    auto* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    const int nWidth = fontMetrics().horizontalAdvance("0000") + 8;
    for (int i = 0; i < 4; ++i) {
        auto* pField = new QLineEdit(this);
        pField->setObjectName(QString("part%1").arg(i + 1));
        pField->setAlignment(Qt::AlignCenter);
        pField->setFixedWidth(nWidth);
        pField->installEventFilter(this);
        connect(pField, &QLineEdit::textEdited, this,
                [this, i](const QString& strText) { OnEdited(i, strText); });
        m_arrFields[static_cast<size_t>(i)] = pField;
        if (i > 0) pLayout->addWidget(new QLabel(".", this));
        pLayout->addWidget(pField);
    }
    pLayout->addStretch(1);
    setFocusProxy(m_arrFields[0]);
}

void CIpAddressCtrl::SetName(const QString& strName) {
    setAccessibleName(strName);
    // Each field is read out with the address's name and its place.
    for (int i = 0; i < 4; ++i)
        Field(i)->setAccessibleName(tr("%1, part %2 of 4").arg(strName).arg(i + 1));
}

void CIpAddressCtrl::SetAddress(uint32_t dwAddrNet) {
    const QStringList arrParts = QString::fromStdString(DottedAddress(dwAddrNet)).split('.');
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(Field(i));
        Field(i)->setText(arrParts.value(i));
        ShowValidity(i);
    }
}

std::optional<uint32_t> CIpAddressCtrl::Address() const {
    if (FirstBadField() >= 0) return std::nullopt;
    QStringList arrParts;
    for (QLineEdit* pField : m_arrFields) arrParts << QString::number(pField->text().toInt());
    uint32_t dwAddr = 0;
    if (!ParseDottedAddress(arrParts.join('.').toStdString(), dwAddr)) return std::nullopt;
    return dwAddr;
}

int CIpAddressCtrl::FirstBadField() const {
    for (int i = 0; i < 4; ++i) {
        if (!IsGoodPart(Field(i)->text())) return i;
    }
    return -1;
}

void CIpAddressCtrl::FocusField(int nField) {
    if (nField < 0 || nField > 3) return;
    Field(nField)->setFocus(Qt::OtherFocusReason);
    Field(nField)->selectAll();
}

int CIpAddressCtrl::IndexOf(QObject* pField) const {
    for (int i = 0; i < 4; ++i) {
        if (Field(i) == pField) return i;
    }
    return -1;
}

void CIpAddressCtrl::OnEdited(int nField, const QString& strText) {
    static const QRegularExpression reNotDigit("[^0-9]");
    const QString strTrimmed = strText.trimmed();
    uint32_t dwPasted = 0;
    if (strTrimmed.contains('.') && ParseDottedAddress(strTrimmed.toStdString(), dwPasted)) {
        // A whole address pasted anywhere is the whole address.
        SetAddress(dwPasted);
        for (int i = 0; i < 4; ++i) emit FieldChanged(i);
        FocusField(3);
        return;
    }
    // Anything else keeps its first digits in this field.
    QString strDigits = strText.section('.', 0, 0);
    strDigits.remove(reNotDigit);
    strDigits.truncate(kDigits);
    if (strDigits != strText) Field(nField)->setText(strDigits);
    ShowValidity(nField);
    emit FieldChanged(nField);
    if (strDigits.size() == kDigits && nField < 3 && Field(nField)->cursorPosition() == kDigits) {
        FocusField(nField + 1);
        m_bMovedOn = true;
    }
}

void CIpAddressCtrl::ShowValidity(int nField) {
    QLineEdit* pField = Field(nField);
    const bool bBad = !pField->text().isEmpty() && !IsGoodPart(pField->text());
    pField->setStyleSheet(bBad ? "color: red;" : QString());
    pField->setToolTip(bBad ? tr("A number from 0 to 255") : QString());
}

bool CIpAddressCtrl::eventFilter(QObject* pWatched, QEvent* pEvent) {
    const int nField = IndexOf(pWatched);
    if (nField < 0) return QWidget::eventFilter(pWatched, pEvent);
    QLineEdit* pField = Field(nField);
    switch (pEvent->type()) {
        case QEvent::FocusIn: {
            // Entering a part selects it, so what is typed replaces it; a click selects once
            // the press has placed the caret.
            m_bMovedOn = false;
            const Qt::FocusReason eReason = static_cast<QFocusEvent*>(pEvent)->reason();
            m_bSelectOnRelease = eReason == Qt::MouseFocusReason;
            if (eReason != Qt::ActiveWindowFocusReason && eReason != Qt::PopupFocusReason)
                pField->selectAll();
            return false;
        }
        case QEvent::MouseButtonRelease:
            if (m_bSelectOnRelease) pField->selectAll();
            m_bSelectOnRelease = false;
            return false;
        case QEvent::KeyPress:
            return OnKey(nField, static_cast<QKeyEvent*>(pEvent));
        default:
            return false;
    }
}

bool CIpAddressCtrl::OnKey(int nField, QKeyEvent* pKey) {
    switch (pKey->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
            return false;  // on its way to the next key (some keyboards shift the dot)
        default:
            break;
    }
    QLineEdit* pField = Field(nField);
    // The dot that ends three digits is the one already typed for it.
    const bool bMovedOn = std::exchange(m_bMovedOn, false);
    const bool bAtStart = pField->cursorPosition() == 0 && !pField->hasSelectedText();
    const bool bAtEnd =
        pField->cursorPosition() == pField->text().size() && !pField->hasSelectedText();
    auto moveTo = [this](int nTo, bool bToEnd) {
        if (nTo < 0 || nTo > 3) return true;
        Field(nTo)->setFocus(Qt::OtherFocusReason);
        Field(nTo)->setCursorPosition(bToEnd ? Field(nTo)->text().size() : 0);
        return true;
    };
    switch (pKey->key()) {
        case Qt::Key_Period:
        case Qt::Key_Space:
            // A dot after some digits goes on to the next part.
            if (!bMovedOn && !pField->text().isEmpty() && nField < 3) FocusField(nField + 1);
            return true;
        case Qt::Key_Left:
            return bAtStart && nField > 0 ? moveTo(nField - 1, true) : false;
        case Qt::Key_Right:
            return bAtEnd && nField < 3 ? moveTo(nField + 1, false) : false;
        case Qt::Key_Backspace:
            return bAtStart && nField > 0 ? moveTo(nField - 1, true) : false;
        default:
            return false;
    }
}
