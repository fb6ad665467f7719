#include "app/AddTextForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "view/QtText.h"

namespace folivo::app {

namespace {

struct NamedColor {
    const char* name;
    uint32_t value;  // 0x00BBGGRR
};

constexpr NamedColor Colors[] = {
    {"Schwarz", 0x000000}, {"Dunkelrot", 0x000080}, {"Rot", 0x0000FF},   {"Grün", 0x008000},
    {"Blau", 0xFF0000},    {"Gelb", 0x00FFFF},      {"Grau", 0x808080}, {"Weiß", 0xFFFFFF},
};

}  // namespace

TAddTextForm::TAddTextForm(AddTextSettings& settings, QWidget* parent) : QWidget(parent, Qt::Window), settings_(&settings)
{
    setObjectName("AddTextForm");
    setWindowTitle(QString::fromUtf8("Text hinzufügen"));

    auto* layout = new QFormLayout(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    layout->addRow("Schriftart:", ComboBox1);
    FontSizeEd = new QSpinBox(this);
    FontSizeEd->setObjectName("FontSizeEd");
    FontSizeEd->setRange(1, 1000);
    layout->addRow(QString::fromUtf8("Schriftgröße:"), FontSizeEd);
    MerrowColorComboBox1 = new QComboBox(this);
    MerrowColorComboBox1->setObjectName("MerrowColorComboBox1");
    for (const NamedColor& color : Colors) MerrowColorComboBox1->addItem(QString::fromUtf8(color.name), color.value);
    layout->addRow("Farbe:", MerrowColorComboBox1);
    PasteinBackCheck = new QCheckBox(QString::fromUtf8("Hinter allen Objekten einfügen"), this);
    PasteinBackCheck->setObjectName("PasteinBackCheck");
    layout->addRow(PasteinBackCheck);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    layout->addRow("Text:", Memo1);

    ShowSettings();
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ControlsEdited(); });
    connect(FontSizeEd, &QSpinBox::valueChanged, this, [this] { ControlsEdited(); });
    connect(MerrowColorComboBox1, &QComboBox::currentIndexChanged, this, [this] { ControlsEdited(); });
    connect(PasteinBackCheck, &QCheckBox::toggled, this, [this] { ControlsEdited(); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { ControlsEdited(); });
    hide();
}

void TAddTextForm::UseSettings(AddTextSettings& settings)
{
    settings_ = &settings;
    ShowSettings();
}

void TAddTextForm::ShowSettings()
{
    const AddTextSettings& settings = *settings_;
    filling_ = true;
    ComboBox1->clear();
    for (const std::string& name : settings.fontNames) ComboBox1->addItem(QStringFromWindows1252(name));
    ComboBox1->setCurrentIndex(settings.selectedFont < ComboBox1->count() ? settings.selectedFont : -1);
    FontSizeEd->setValue(settings.fontSize);
    int colorIndex = MerrowColorComboBox1->findData(settings.color);
    if (colorIndex < 0) {
        // A colour set by code that the list does not name yet.
        MerrowColorComboBox1->addItem(QString("#%1").arg(settings.color, 6, 16, QChar('0')), settings.color);
        colorIndex = MerrowColorComboBox1->count() - 1;
    }
    MerrowColorComboBox1->setCurrentIndex(colorIndex);
    PasteinBackCheck->setChecked(settings.pasteInBack);
    QStringList lines;
    for (const std::string& line : settings.lines) lines.append(QStringFromWindows1252(line));
    Memo1->setPlainText(lines.join('\n'));
    filling_ = false;
}

void TAddTextForm::ControlsEdited()
{
    if (filling_) return;
    AddTextSettings& settings = *settings_;
    settings.selectedFont = ComboBox1->currentIndex();
    settings.fontSize = FontSizeEd->value();
    settings.color = MerrowColorComboBox1->currentData().toUInt();
    settings.pasteInBack = PasteinBackCheck->isChecked();
    settings.lines.clear();
    if (!Memo1->toPlainText().isEmpty()) {
        for (const QString& line : Memo1->toPlainText().split('\n')) settings.lines.push_back(Windows1252FromQString(line));
    }
}

}  // namespace folivo::app
