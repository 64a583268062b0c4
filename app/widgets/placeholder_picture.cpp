#include "app/widgets/placeholder_picture.h"

#include <QFile>

#include "app/widgets/widget_resources.h"

namespace miyoutong {

Bytes PlaceholderPicture() {
    EnsureWidgetResources();
    QFile file(QStringLiteral(":/miyoutong/placeholder.gif"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

}  // namespace miyoutong
