#include "interfacelocale.h"

#include "picturelibrary.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace zelan::app {

bool applyInterfaceLocale(int languageCode) {
    // One translator for the run, owned by the application object and installed only while
    // the interface is Russian.
    static QPointer<QTranslator> russian;
    static bool loaded = false;
    if (languageCode != ui::kRussian) {
        if (russian)
            QCoreApplication::removeTranslator(russian);
        QLocale::setDefault(QLocale::system());
        return true;
    }
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    if (!russian) {
        russian = new QTranslator(QCoreApplication::instance());
        loaded = russian->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    if (!loaded)
        return false;
    QCoreApplication::installTranslator(russian);
    return true;
}

} // namespace zelan::app
