#include "app/widgets/song_font.h"

#include <QStringList>

namespace miyoutong {

QFont SongFont(int pixelSize) {
    const QString song = QString::fromUtf8("宋体");
    const QStringList fallbacks = {
        QStringLiteral("SimSun"),
        QStringLiteral("NSimSun"),
        QStringLiteral("AR PL UMing CN"),
        QStringLiteral("AR PL SungtiL GB"),
        QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Source Han Serif SC"),
        // Not a Song face, but drawn from bitmaps at small sizes with SimSun's line height.
        QStringLiteral("WenQuanYi Zen Hei Sharp"),
        QStringLiteral("WenQuanYi Zen Hei"),
        QStringLiteral("Noto Sans CJK SC"),
    };
    QFont::insertSubstitutions(song, fallbacks);
    QFont font;
    font.setFamilies(QStringList{song} + fallbacks);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace miyoutong
