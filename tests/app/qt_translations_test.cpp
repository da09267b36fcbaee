// Qt's own dialogs speak Japanese with the program once its translations are installed.
#include "app/qt_translations.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "support/temp_dir.h"

namespace vesk::app {
namespace {

QStringList buttonTexts() {
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes |
                         QDialogButtonBox::No | QDialogButtonBox::Save | QDialogButtonBox::Open);
    QStringList texts;
    for (QAbstractButton* b : box.buttons()) {
        texts << b->text();
    }
    return texts;
}

QStringList fileDialogTexts() {
    QFileDialog dialog(nullptr, QString(), QDir::tempPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList texts;
    for (QLabel* l : dialog.findChildren<QLabel*>()) {
        texts << l->text();
    }
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        texts << b->text();
    }
    return texts;
}

TEST(QtTranslations, StandardButtonsAndFileDialogsTurnJapanese) {
    const QStringList english = buttonTexts();
    EXPECT_TRUE(english.contains("Cancel")) << english.join('|').toStdString();

    test::TempDir empty;
    EXPECT_FALSE(installQtTranslations(empty.path()));
    EXPECT_EQ(buttonTexts(), english);

    ASSERT_TRUE(installQtTranslations(qtTranslationsFolder()))
        << "qtbase_ja missing in " << qtTranslationsFolder().toStdString();
    // "OK" is what Japanese desktops write too; every other button reads Japanese.
    auto japanese = [](const QString& text) {
        return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; });
    };
    for (const QString& text : buttonTexts()) {
        EXPECT_TRUE(text == "OK" || japanese(text)) << text.toStdString();
    }
    const QStringList dialog = fileDialogTexts();
    EXPECT_TRUE(dialog.contains(QStringLiteral("キャンセル"))) << dialog.join('|').toStdString();
    EXPECT_TRUE(std::any_of(dialog.begin(), dialog.end(), [](const QString& t) {
        return t.startsWith(QStringLiteral("ファイル名"));
    })) << dialog.join('|').toStdString();
}

}  // namespace
}  // namespace vesk::app
