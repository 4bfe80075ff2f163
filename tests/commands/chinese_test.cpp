#include "shell/chinese.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// The words of Qt's file dialogs that Debian's Chinese catalogue lacks come out Chinese; the
// test gives the application its English back afterwards.
TEST(Chinese, FileDialogTypeWordsAreChinese) {
    const QLocale before;
    QCoreApplication &app = *QCoreApplication::instance();
    shell::useChinese(app);
    const auto folder = [] {
        return QCoreApplication::translate("QAbstractFileIconProvider", "Folder",
                                           "All other platforms");
    };
    EXPECT_EQ(folder(), QString::fromUtf8("文件夹"));
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Unknown"),
              QString::fromUtf8("未知"));
    EXPECT_EQ(QCoreApplication::translate("SomeOtherContext", "Folder"), "Folder");
    for (QTranslator *translator : app.findChildren<QTranslator *>(Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    QLocale::setDefault(before);
    EXPECT_EQ(folder(), "Folder");
}

} // namespace
