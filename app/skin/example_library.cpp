// An example skin library: a shared object named SkinH_EL.dll whose SkinH_AttachRes takes the
// program's skin data as a zero-padded Qt style sheet and applies it to the application.

#include <QApplication>
#include <QByteArray>

extern "C" __attribute__((visibility("default"))) int SkinH_AttachRes(const unsigned char* data,
                                                                      int length,
                                                                      const char* /*password*/,
                                                                      int, int, int) {
    if (data == nullptr || length <= 0 || qApp == nullptr) {
        return 0;
    }
    const auto* text = reinterpret_cast<const char*>(data);
    const QByteArray sheet(text, static_cast<int>(qstrnlen(text, static_cast<size_t>(length))));
    qApp->setStyleSheet(QString::fromUtf8(sheet));
    return 1;
}
