#include "ui/Pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include "ui/Accessibility.h"

void InitUiResources() {
    Q_INIT_RESOURCE(orxboot);
    InstallAccessibility();
}

namespace {
QString PicturePath(EPicture ePicture) {
    switch (ePicture) {
        case EPicture::AppIcon:
            return QStringLiteral(":/orx/orxboot.svg");
        case EPicture::Select:
            return QStringLiteral(":/orx/select.svg");
        case EPicture::NetPage:
            return QStringLiteral(":/orx/net.svg");
        case EPicture::NetTransfer:
            return QStringLiteral(":/orx/net_transfer.svg");
        case EPicture::SerialPage:
            return QStringLiteral(":/orx/serial.svg");
        case EPicture::SerialTransfer:
            return QStringLiteral(":/orx/serial_transfer.svg");
        case EPicture::About:
            return QStringLiteral(":/orx/about.svg");
        case EPicture::Note:
            return QStringLiteral(":/orx/note.svg");
    }
    return {};
}
}  // namespace

QPixmap Picture(EPicture ePicture, int nHeight) {
    QSvgRenderer renderer(PicturePath(ePicture));
    const QSize sizeDoc = renderer.defaultSize();
    if (!renderer.isValid() || sizeDoc.isEmpty()) return {};
    const qreal dRatio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const QSize size(nHeight * sizeDoc.width() / sizeDoc.height(), nHeight);
    QPixmap pixmap(size * dRatio);
    pixmap.setDevicePixelRatio(dRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon AppIcon() {
    QIcon icon;
    for (int n : {16, 24, 32, 48, 64, 128}) icon.addPixmap(Picture(EPicture::AppIcon, n));
    return icon;
}
