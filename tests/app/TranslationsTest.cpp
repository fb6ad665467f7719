// The standard dialogs speak German once Qt's own translations are loaded.
#include <QAbstractButton>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTranslator>
#include <functional>
#include <memory>

#include "app/QtTranslations.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

// Every label and button text of dialog, without the mnemonic marks.
QStringList Texts(const QWidget& dialog)
{
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) texts.append(label->text().remove('&'));
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) texts.append(button->text().remove('&'));
    return texts;
}

TEST(Translations, StandardDialogsSayTheirTextsInGerman)
{
    QTranslator* translator = app::InstallGermanQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is missing (scripts/install-deps)";
    struct Case {
        const char* dialog;
        std::function<std::unique_ptr<QWidget>()> make;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {"Datei",
         [] {
             auto dialog = std::make_unique<QFileDialog>();
             dialog->setOption(QFileDialog::DontUseNativeDialog);
             return dialog;
         },
         {"Dateiname:", "Abbrechen"}},
        {"Schrift",
         [] {
             auto dialog = std::make_unique<QFontDialog>();
             dialog->setOption(QFontDialog::DontUseNativeDialog);
             return dialog;
         },
         {"Schriftart", "Größe", "Abbrechen"}},
        {"Meldung",
         [] { return std::make_unique<QMessageBox>(QMessageBox::Information, "t", "x", QMessageBox::Ok | QMessageBox::Cancel); },
         {"Abbrechen"}},
    };
    for (const Case& c : cases) {
        const QStringList texts = Texts(*c.make());
        for (const QString& text : c.expected)
            EXPECT_TRUE(texts.contains(text)) << c.dialog << ": " << text.toStdString() << " in "
                                              << texts.join(" | ").toStdString();
    }
    // The other tests see Qt's own texts.
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

}  // namespace
}  // namespace folivo::test
