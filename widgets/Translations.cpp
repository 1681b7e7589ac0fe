#include "widgets/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool InstallToolkitTranslation() {
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_TW"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
