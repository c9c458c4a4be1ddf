#include "framework/toolkit_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

constexpr char kTranslatorName[] = "corvalis-toolkit-ja";

}  // namespace

bool UseJapaneseToolkitTexts()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return false;
    }
    if (application->findChild<QTranslator*>(QLatin1String(kTranslatorName)) != nullptr) {
        return true;
    }
    auto* translator = new QTranslator(application);  // lives as long as the application
    translator->setObjectName(QLatin1String(kTranslatorName));
    for (const QString& folder : {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator->load(QStringLiteral("qtbase_ja"), folder)) {
            return QCoreApplication::installTranslator(translator);
        }
    }
    delete translator;
    return false;
}
