#include "chinese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <optional>

namespace shell {

namespace {

// The user's LC_ALL while prepareChineseSystemLocale stands in for it; an empty optional
// inside when it was not set.
std::optional<std::optional<QByteArray>> g_userLcAll;

// The type column of Qt's file dialogs ("Folder") comes from the QAbstractFileIconProvider
// context, which Qt 6 named anew; Debian's qtbase_zh_CN (Qt 6.4) still has only the
// translations under the old name, so these few words would stay English.
class FileTypeWords : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return QString();
        static const struct {
            const char *english;
            const char16_t *chinese;
        } words[] = {{"Folder", u"文件夹"},     {"File Folder", u"文件夹"}, {"Drive", u"驱动器"},
                     {"Shortcut", u"快捷方式"}, {"Alias", u"替身"},         {"Unknown", u"未知"}};
        for (const auto &word : words) {
            if (qstrcmp(sourceText, word.english) == 0)
                return QString::fromUtf16(word.chinese);
        }
        return QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

void prepareChineseSystemLocale() {
    g_userLcAll =
        qEnvironmentVariableIsSet("LC_ALL") ? std::optional(qgetenv("LC_ALL")) : std::nullopt;
    qputenv("LC_ALL", "zh_CN.UTF-8");
}

int useChinese(QCoreApplication &app) {
    if (g_userLcAll) {
        QLocale::system(); // read while LC_ALL still says Chinese; Qt keeps it from now on
        if (*g_userLcAll)
            qputenv("LC_ALL", **g_userLcAll);
        else
            qunsetenv("LC_ALL");
        g_userLcAll.reset();
        std::setlocale(LC_ALL, ""); // the C library's locale: the user's again
    }
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese); // the engine takes its interface language from here
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    int installed = 0;
    for (const char *name : {"qtbase", "qtwebengine"}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(chinese, QString::fromLatin1(name), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator))
            ++installed;
        else
            delete translator;
    }
    QCoreApplication::installTranslator(new FileTypeWords(&app));
    return installed;
}

} // namespace shell
