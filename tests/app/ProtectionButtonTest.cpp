// The protection button and the font button: the chosen display font becomes the protection
// font, every page gets its text object, and the settings form shows the new font.
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "tests/RecordingPort.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

std::vector<std::string> AddedFonts(const PdfDocument& document)
{
    std::vector<std::string> names;
    for (uint32_t i = 0; i < document.fonts.Count(); ++i) {
        const FontRecord& font = *document.fonts.At(i);
        if (font.addedByUser) names.emplace_back(font.baseFontText.View());
    }
    return names;
}

TEST(ProtectionButton, ProtectsEveryPageWithTheChosenFontAndSavesIt)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "in.pdf");
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.openfilenow(QString::fromStdString(sample));
    form.PageEd->setValue(2);

    QFont serif("Liberation Serif");
    serif.setPointSize(12);
    serif.setBold(true);
    windows.dialogs.fontAnswer = serif;
    QTest::mouseClick(form.ChooseFontBtn, Qt::LeftButton);
    EXPECT_EQ(form.Label4->text(), "Optimieren auf: Liberation Serif");
    const DisplayFont protectionFont = form.ProtectionFont();
    EXPECT_EQ(protectionFont.family, "Liberation Serif");
    EXPECT_TRUE(protectionFont.bold);
    EXPECT_EQ(protectionFont.pixelHeight, 16);  // 12 points at 96 pixels per inch

    QTest::mouseClick(form.FileProtectBtn, Qt::LeftButton);
    ASSERT_EQ(windows.dialogs.messages.size(), 1u);
    EXPECT_EQ(windows.dialogs.messages[0].caption, "Fertig");
    EXPECT_TRUE(windows.dialogs.messages[0].text.startsWith("Der PDF-Datei Schutz wurde hinzugefügt."));
    EXPECT_EQ(AddedFonts(form.document()), std::vector<std::string>{"/Liberation#20Serif,Bold"});
    for (uint32_t i = 0; i < form.document().pages.Count(); ++i) EXPECT_TRUE(form.document().pages.At(i)->modified) << i;
    EXPECT_EQ(form.PageEd->value(), 1);
    // The settings form offers the new font, selected, and an empty text.
    ASSERT_GT(windows.addTextForm->ComboBox1->count(), 0);
    EXPECT_EQ(windows.addTextForm->ComboBox1->currentText(), "/LiberationSerif");
    EXPECT_EQ(windows.addTextForm->ComboBox1->currentIndex(), windows.addTextForm->ComboBox1->count() - 1);
    EXPECT_TRUE(windows.addTextForm->Memo1->toPlainText().isEmpty());

    const std::string target = folder.File("out.pdf");
    ASSERT_TRUE(form.SaveTo(QString::fromStdString(target)));
    RecordingPort port;
    PdfDocument saved(port);
    saved.openfilenow(target);
    EXPECT_TRUE(saved.documentRead);
    // Every page of the saved file selects the new font in its content.
    for (uint32_t i = 0; i < saved.pages.Count(); ++i) {
        const PageRecord& page = *saved.pages.At(i);
        const std::string content(reinterpret_cast<const char*>(page.content), page.contentLength);
        EXPECT_NE(content.find("/LiberationSerif 1 Tf"), std::string::npos) << "page " << i + 1;
    }
}

TEST(ProtectionButton, IsRefusedWithoutADocumentAndCancelledFontKeepsTheFont)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    QTest::mouseClick(form.ChooseFontBtn, Qt::LeftButton);
    EXPECT_EQ(windows.dialogs.fontDialogsShown, 1);
    EXPECT_EQ(form.Label4->text(), "Optimieren auf: Arial");
    EXPECT_EQ(form.ProtectionFont().pixelHeight, 15);

    QTest::mouseClick(form.FileProtectBtn, Qt::LeftButton);
    ASSERT_EQ(windows.dialogs.messages.size(), 1u);
    EXPECT_EQ(windows.dialogs.messages[0].text, QString::fromUtf8("Es ist keine PDF-Datei geöffnet."));
    EXPECT_EQ(form.document().fonts.Count(), 0u);
}

TEST(AddTextForm, ControlsCarryTheSettingsBothWays)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TAddTextForm& form = *windows.addTextForm;
    AddTextSettings& settings = form.Settings();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.FontSizeEd->value(), 12);
    EXPECT_EQ(form.FontSizeEd->maximum(), 1000);

    settings.fontNames = {"/F1", "/F\xE4"};  // Windows-1252 bytes
    settings.selectedFont = 1;
    settings.color = 0x123456;
    settings.lines = {"Hallo", "Gr\xFC\xDF" "e"};
    form.ShowSettings();
    EXPECT_EQ(form.ComboBox1->currentText(), QString::fromUtf8("/Fä"));
    EXPECT_EQ(form.Memo1->toPlainText(), QString::fromUtf8("Hallo\nGrüße"));
    EXPECT_EQ(settings.color, 0x123456u);  // filling the controls changes nothing

    form.FontSizeEd->setValue(30);
    form.PasteinBackCheck->setChecked(true);
    form.Memo1->setPlainText(QString::fromUtf8("Ä€\nzwei"));
    EXPECT_EQ(settings.fontSize, 30);
    EXPECT_TRUE(settings.pasteInBack);
    EXPECT_EQ(settings.lines, (std::vector<std::string>{"\xC4\x80", "zwei"}));
    EXPECT_EQ(settings.SelectedFontName(), "/F\xE4");
}

}  // namespace
}  // namespace folivo::test
