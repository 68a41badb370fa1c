#include "interfaceart.h"

#include <QFontDatabase>

namespace zelan::datagen {

namespace {
struct Faces {
    QString amiri, dejavu;
};
Faces g_faces;

QString addFace(const char* file, const char* package, QString* error) {
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty()) {
        *error = QStringLiteral("the font %1 is missing or unreadable: install the Debian package %2")
                     .arg(QString::fromLatin1(file), QString::fromLatin1(package));
        return {};
    }
    return families.first();
}
} // namespace

bool loadInterfaceFonts(QString* error) {
    if (!g_faces.amiri.isEmpty())
        return true;
    const QString amiri =
        addFace("/usr/share/fonts/opentype/fonts-hosny-amiri/Amiri-Regular.ttf", "fonts-hosny-amiri", error);
    if (amiri.isEmpty() ||
        addFace("/usr/share/fonts/opentype/fonts-hosny-amiri/Amiri-Bold.ttf", "fonts-hosny-amiri", error).isEmpty())
        return false;
    const QString dejavu = addFace("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "fonts-dejavu-core", error);
    if (dejavu.isEmpty() ||
        addFace("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "fonts-dejavu-core", error).isEmpty())
        return false;
    g_faces = {amiri, dejavu};
    return true;
}

QString headingFamily(UiLanguage language) {
    return language == UiLanguage::Arabic ? g_faces.amiri : g_faces.dejavu;
}

QString captionFamily(UiLanguage) { return g_faces.dejavu; }

} // namespace zelan::datagen
