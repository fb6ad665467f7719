// The main window's four tab pages, its bottom panel and its status bar.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDir>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimeEdit>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/GermanFormats.h"
#include "app/MainUnit.h"
#include "app/OptionalDateTime.h"
#include "app/PaintBox.h"
#include "app/ProgressPanel.h"

namespace folivo::app {

namespace {

QLabel* Heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

// Enter on a view does what a double-click does; the key is consumed only where the action
// says so.
class EnterKeyFilter : public QObject {
public:
    EnterKeyFilter(QObject* parent, std::function<bool()> action) : QObject(parent), action_(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && action_()) return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool()> action_;
};

// The file list's model in German, as the rest of the window speaks German.
class PdfFileModel : public QFileSystemModel {
public:
    using QFileSystemModel::QFileSystemModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
            switch (section) {
            case 0: return QString("Name");
            case 1: return QString::fromUtf8("Größe");
            case 2: return QString("Typ");
            case 3: return QString::fromUtf8("Geändert am");
            }
        }
        return QFileSystemModel::headerData(section, orientation, role);
    }

    // Sizes and dates in German, with four-digit years, whatever the system's locale.
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DisplayRole && index.column() == 1 && !isDir(index)) return GermanFileSize(size(index));
        if (role == Qt::DisplayRole && index.column() == 3) return GermanDateTime(lastModified(index));
        return QFileSystemModel::data(index, role);
    }
};

}  // namespace

QWidget* TMainForm::BuildOpenPage()
{
    auto* page = new QWidget;
    page->setObjectName("OpenSheet");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Heading(QString::fromUtf8("PDF-Datei öffnen - Wählen Sie die zu öffnende PDF-Datei aus"), page));

    layout->addWidget(new QLabel("Lieblings Ordner:", page));
    PrefListBox = new QListWidget(page);
    PrefListBox->setObjectName("PrefListBox");
    PrefListBox->setFixedHeight(PrefListBox->fontMetrics().height() * 3 + 6);
    layout->addWidget(PrefListBox);
    connect(PrefListBox, &QListWidget::itemDoubleClicked, this, [this] { PrefListBoxDblClick(); });
    // The key goes on to the list unchanged.
    PrefListBox->installEventFilter(new EnterKeyFilter(PrefListBox, [this] {
        PrefListBoxDblClick();
        return false;
    }));
    auto* removeFolder = new QAction("Aus Lieblings Ordnern entfernen", PrefListBox);
    removeFolder->setObjectName("RemovePrefFolderAction");
    PrefListBox->addAction(removeFolder);
    PrefListBox->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(removeFolder, &QAction::triggered, this, [this] { RemoveFromPrefFolders(); });

    // Qt's file system model follows changes to the files themselves (the list's sizes and
    // dates) only with this set; it reads it once, when it first looks at a file.
    if (!qEnvironmentVariableIsSet("QT_FILESYSTEMMODEL_WATCH_FILES")) qputenv("QT_FILESYSTEMMODEL_WATCH_FILES", "1");
    auto* splitter = new QSplitter(Qt::Horizontal, page);
    treeModel = new QFileSystemModel(this);
    treeModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    treeModel->setRootPath(QDir::rootPath());
    JamShellTree1 = new QTreeView(splitter);
    JamShellTree1->setObjectName("JamShellTree1");
    JamShellTree1->setModel(treeModel);
    for (int column = 1; column < treeModel->columnCount(); ++column) JamShellTree1->hideColumn(column);
    JamShellTree1->setHeaderHidden(true);

    listModel = new PdfFileModel(this);
    // Folders stay visible (they open in the list); files only when they end in .pdf, any case.
    listModel->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    listModel->setNameFilters({"*.pdf"});
    listModel->setNameFilterDisables(false);
    JamShellList1 = new QTreeView(splitter);
    JamShellList1->setObjectName("JamShellList1");
    JamShellList1->setModel(listModel);
    JamShellList1->setRootIsDecorated(false);
    JamShellList1->setItemsExpandable(false);
    JamShellList1->setSortingEnabled(true);
    JamShellList1->sortByColumn(0, Qt::AscendingOrder);
    // Every entry is a PDF file or a folder: the type column would say nothing. The name takes
    // the room that size and date leave; they are as wide as their widest entry.
    JamShellList1->hideColumn(2);
    QHeaderView* header = JamShellList1->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    // A long name gives way in its middle, so that ".pdf" stays in sight.
    JamShellList1->setTextElideMode(Qt::ElideMiddle);
    // However small the window or far the splitter is moved, the name keeps room for a name:
    // the list is never narrower than size, date and that room.
    connect(header, &QHeaderView::sectionResized, this, [this, header](int section) {
        if (section == 0) return;
        const int nameRoom = JamShellList1->fontMetrics().averageCharWidth() * FileNameRoomChars;
        JamShellList1->setMinimumWidth(header->sectionSize(1) + header->sectionSize(3) + nameRoom +
                                       2 * JamShellList1->frameWidth() +
                                       JamShellList1->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    });
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    layout->addWidget(splitter, 1);
    FolderStateLabel = new QLabel(page);
    FolderStateLabel->setObjectName("FolderStateLabel");
    FolderStateLabel->setWordWrap(true);
    FolderStateLabel->hide();
    layout->addWidget(FolderStateLabel);

    connect(treeModel, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) { TreeFolderLoaded(loaded); });
    connect(JamShellTree1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid()) return;
                const QString folder = treeModel->filePath(current);
                JamShellList1->setRootIndex(listModel->setRootPath(folder));
                ShowFolderState(folder);
            });
    connect(JamShellList1, &QTreeView::doubleClicked, this, [this] { JamShellList1DblClick(); });
    JamShellList1->installEventFilter(new EnterKeyFilter(JamShellList1, [this] {
        JamShellList1DblClick();
        return true;
    }));

    auto* fontRow = new QHBoxLayout;
    Label4 = new QLabel("Optimieren auf: ", page);
    Label4->setObjectName("Label4");
    fontRow->addWidget(Label4, 1);
    ChooseFontBtn = new QPushButton(QString::fromUtf8("Schrift&art auswählen:"), page);
    ChooseFontBtn->setObjectName("ChooseFontBtn");
    fontRow->addWidget(ChooseFontBtn);
    ReadImagesCheck = new QCheckBox("Bilder ei&nlesen", page);
    ReadImagesCheck->setObjectName("ReadImagesCheck");
    ReadImagesCheck->setChecked(true);
    fontRow->addWidget(ReadImagesCheck);
    layout->addLayout(fontRow);
    connect(ChooseFontBtn, &QPushButton::clicked, this, [this] { ChooseFontBtnClick(); });
    connect(ReadImagesCheck, &QCheckBox::toggled, this, [this](bool on) { document().readImages = on; });
    return page;
}

QWidget* TMainForm::BuildEditPage()
{
    auto* page = new QWidget;
    page->setObjectName("EditSheet");
    auto* layout = new QGridLayout(page);

    auto* fields = new QHBoxLayout;
    fields->addWidget(new QLabel("Zoom:", page));
    ZoomEd = new QSpinBox(page);
    ZoomEd->setObjectName("ZoomEd");
    ZoomEd->setRange(10, 300);
    ZoomEd->setSingleStep(10);
    ZoomEd->setValue(50);
    fields->addWidget(ZoomEd);
    SimplifiedCheck = new QCheckBox("Vereinfachte Darstellung", page);
    SimplifiedCheck->setObjectName("SimplifiedCheck");
    fields->addWidget(SimplifiedCheck);
    fields->addSpacing(12);
    fields->addWidget(new QLabel("Seite:", page));
    PageEd = new QSpinBox(page);
    PageEd->setObjectName("PageEd");
    PageEd->setRange(1, PageFieldMaximum);
    PageEd->setValue(1);
    fields->addWidget(PageEd);
    Label6 = new QLabel("von 0", page);
    Label6->setObjectName("Label6");
    fields->addWidget(Label6);
    fields->addSpacing(12);
    FileProtectBtn = new QPushButton(QString::fromUtf8("&Dateischutz hinzufügen..."), page);
    FileProtectBtn->setObjectName("FileProtectBtn");
    fields->addWidget(FileProtectBtn);
    connect(FileProtectBtn, &QPushButton::clicked, this, [this] { FileProtectBtnClick(); });
    fields->addStretch(1);
    layout->addLayout(fields, 0, 0, 1, 2);

    SimplifiedNote = new QLabel("Dies ist eine vereinfachte Darstellung der Seite, der Inhalt bleibt aber 100% erhalten!", page);
    SimplifiedNote->setObjectName("SimplifiedNote");
    SimplifiedNote->setWordWrap(true);
    SimplifiedNote->hide();
    layout->addWidget(SimplifiedNote, 1, 0, 1, 2);
    connect(SimplifiedCheck, &QCheckBox::toggled, this, [this](bool on) {
        SimplifiedNote->setVisible(on);
        PaintBox1Paint();
    });

    ToolBar1 = new QToolBar(page);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setOrientation(Qt::Vertical);
    LupeBtn = new QPushButton("&Lupe", ToolBar1);
    LupeBtn->setObjectName("LupeBtn");
    LupeBtn->setToolTip(QString::fromUtf8("Lupe: Linksklick vergrößert, jede andere Maustaste verkleinert"));
    HandBtn = new QPushButton("&Hand", ToolBar1);
    HandBtn->setObjectName("HandBtn");
    HandBtn->setToolTip("Hand: die Seite mit gedrückter linker Maustaste verschieben");
    for (QPushButton* tool : {LupeBtn, HandBtn}) {
        tool->setCheckable(true);
        tool->setAutoExclusive(true);
        ToolBar1->addWidget(tool);
    }
    LupeBtn->setChecked(true);
    layout->addWidget(ToolBar1, 2, 0, Qt::AlignTop);

    ScrollBox1 = new QScrollArea(page);
    ScrollBox1->setObjectName("ScrollBox1");
    PaintBox1 = new TPaintBox;
    PaintBox1->setObjectName("PaintBox1");
    ScrollBox1->setWidget(PaintBox1);
    ScrollBox1->setWidgetResizable(false);
    layout->addWidget(ScrollBox1, 2, 1);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(1, 1);

    connect(ZoomEd, &QSpinBox::valueChanged, this, [this] { ZoomEdChange(); });
    connect(PageEd, &QSpinBox::valueChanged, this, [this] { PageEdChange(); });
    connect(LupeBtn, &QPushButton::clicked, this, [this] { LupeBtnClick(); });
    connect(HandBtn, &QPushButton::clicked, this, [this] { HandBtnClick(); });
    connect(PaintBox1, &TPaintBox::MouseDown, this,
            [this](Qt::MouseButton button, int x, int y) { PaintBox1MouseDown(button, x, y); });
    connect(PaintBox1, &TPaintBox::MouseMove, this, [this](int x, int y) { PaintBox1MouseMove(x, y); });
    connect(PaintBox1, &TPaintBox::MouseUp, this, [this] { PaintBox1MouseUp(); });
    return page;
}

QWidget* TMainForm::BuildInformationPage()
{
    auto* page = new QWidget;
    page->setObjectName("InfoSheet");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        Heading(QString::fromUtf8("Dokumenten Informationen - Hier können Sie einige Informationen zum Dokument"), page));

    auto* body = new QHBoxLayout;
    body->addWidget(Heading("Dokument Informationen", page), 0, Qt::AlignTop);
    auto* form = new QFormLayout;
    const auto edit = [&](QLineEdit*& field, const char* name, const QString& label) {
        field = new QLineEdit(page);
        field->setObjectName(name);
        form->addRow(label, field);
        connect(field, &QLineEdit::textEdited, this, [this] { InformationEdited(); });
    };
    edit(Edit1, "Edit1", "Producer (Acrobat...):");
    edit(Edit2, "Edit2", "Creator (Word...):");
    edit(Edit3, "Edit3", "Autor:");
    edit(Edit4, "Edit4", "Titel:");
    edit(Edit5, "Edit5", "Betreff:");
    edit(Edit6, "Edit6", "Stichworte:");

    const auto datePair = [&](OptionalDateEdit*& date, const char* dateName, OptionalTimeEdit*& time, const char* timeName,
                              const QString& label, bool created) {
        auto* row = new QHBoxLayout;
        date = new OptionalDateEdit(page);
        date->setObjectName(dateName);
        date->setDisplayFormat(GermanDateFormat);
        time = new OptionalTimeEdit(page);
        time->setObjectName(timeName);
        time->setDisplayFormat("HH:mm:ss");
        row->addWidget(date);
        row->addWidget(time);
        row->addStretch(1);
        form->addRow(label, row);
        connect(date, &QDateEdit::dateChanged, this, [this, created] { DateEdited(created); });
        connect(time, &QTimeEdit::timeChanged, this, [this, created] { DateEdited(created); });
    };
    datePair(DateTimePicker1, "DateTimePicker1", DateTimePicker2, "DateTimePicker2", "Erstellt:", true);
    datePair(DateTimePicker3, "DateTimePicker3", DateTimePicker4, "DateTimePicker4", QString::fromUtf8("Geändert:"), false);

    NowBtn = new QPushButton("Auf &jetzt setzen", page);
    NowBtn->setObjectName("NowBtn");
    auto* nowRow = new QHBoxLayout;
    nowRow->addWidget(NowBtn);
    nowRow->addStretch(1);
    form->addRow(QString(), nowRow);
    connect(NowBtn, &QPushButton::clicked, this, [this] { NowBtnClick(); });

    body->addLayout(form, 1);
    layout->addLayout(body);
    InfoChangesDeniedLabel = new QLabel(page);
    InfoChangesDeniedLabel->setObjectName("InfoChangesDeniedLabel");
    InfoChangesDeniedLabel->setWordWrap(true);
    InfoChangesDeniedLabel->hide();
    layout->addWidget(InfoChangesDeniedLabel);
    SignatureLabel = new QLabel(page);
    SignatureLabel->setObjectName("SignatureLabel");
    SignatureLabel->setWordWrap(true);
    SignatureLabel->hide();
    layout->addWidget(SignatureLabel);
    layout->addStretch(1);
    return page;
}

QWidget* TMainForm::BuildSavePage()
{
    auto* page = new QWidget;
    page->setObjectName("SaveSheet");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Heading("PDF-Datei speichern", page));

    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(new QLabel("PDF Version:", page));
    PDFVersionBox = new QComboBox(page);
    PDFVersionBox->setObjectName("PDFVersionBox");
    PDFVersionBox->addItems({"1.2 (Acrobat 3 and later)", "1.3 (Acrobat 4 and later)", "1.4 (Acrobat 5 and later)",
                             "1.5 (Acrobat 6 and later)", "1.6 (Acrobat 7 and later)", "1.7 (Acrobat 8 and later)",
                             "2.0"});
    versionRow->addWidget(PDFVersionBox);
    versionRow->addStretch(1);
    layout->addLayout(versionRow);
    VersionNoteLabel = new QLabel(page);
    VersionNoteLabel->setObjectName("VersionNoteLabel");
    VersionNoteLabel->setWordWrap(true);
    VersionNoteLabel->hide();
    layout->addWidget(VersionNoteLabel);
    connect(PDFVersionBox, &QComboBox::currentIndexChanged, this, [this](int item) {
        if (item >= 0) document().versionItem = item;
        ShowVersionNote();
    });
    AppendCheck =
        new QCheckBox(QString::fromUtf8("Änderungen an die Originaldatei &anhängen (Signaturen bleiben gültig)"), page);
    AppendCheck->setObjectName("AppendCheck");
    layout->addWidget(AppendCheck);
    connect(AppendCheck, &QCheckBox::toggled, this, [this] { EnableSaveMode(); });

    PasswordGroup = new QGroupBox("Kennwortschutz", page);
    PasswordGroup->setObjectName("PasswordGroup");
    auto* protection = new QVBoxLayout(PasswordGroup);
    const auto wideLabel = [&](QLabel*& label, const char* name) {
        label = new QLabel(PasswordGroup);
        label->setObjectName(name);
        label->setWordWrap(true);
        protection->addWidget(label);
    };
    wideLabel(EncryptionStateLabel, "EncryptionStateLabel");
    wideLabel(ChangesDeniedLabel, "ChangesDeniedLabel");
    ChangesDeniedLabel->hide();
    const auto check = [&](QCheckBox*& box, const char* name, const QString& text, bool checked) {
        box = new QCheckBox(text, PasswordGroup);
        box->setObjectName(name);
        box->setChecked(checked);
    };
    check(EncryptCheck, "EncryptCheck", QString::fromUtf8("Mit Kennwort schützen (AES-256)"), false);
    protection->addWidget(EncryptCheck);
    // What only new protection uses, enabled together with its box.
    protectFields_ = new QWidget(PasswordGroup);
    auto* fields = new QGridLayout(protectFields_);
    fields->setContentsMargins(0, 0, 0, 0);
    const auto passwordEdit = [&](QLineEdit*& edit, const char* name, const QString& label, int at) {
        edit = new QLineEdit(protectFields_);
        edit->setObjectName(name);
        edit->setEchoMode(QLineEdit::Password);
        auto* caption = new QLabel(label, protectFields_);
        caption->setBuddy(edit);
        fields->addWidget(caption, at, 0);
        fields->addWidget(edit, at, 1, 1, 2);
    };
    // Typed twice: a password mistyped unseen would lock the user out of the saved file.
    passwordEdit(UserPasswordEdit, "UserPasswordEdit", QString::fromUtf8("Kennwort zum Öffnen (darf leer sein):"), 0);
    passwordEdit(UserPasswordRepeatEdit, "UserPasswordRepeatEdit", "Kennwort wiederholen:", 1);
    passwordEdit(OwnerPasswordEdit, "OwnerPasswordEdit", QString::fromUtf8("Kennwort für Änderungen:"), 2);
    passwordEdit(OwnerPasswordRepeatEdit, "OwnerPasswordRepeatEdit", "Kennwort wiederholen:", 3);
    const auto right = [&](QCheckBox*& box, const char* name, const QString& text, int at, int column) {
        box = new QCheckBox(text, protectFields_);
        box->setObjectName(name);
        box->setChecked(true);
        fields->addWidget(box, at, column);
    };
    right(AllowPrintCheck, "AllowPrintCheck", "Drucken erlauben", 4, 0);
    right(AllowModifyCheck, "AllowModifyCheck", QString::fromUtf8("Ändern erlauben"), 4, 1);
    right(AllowCopyCheck, "AllowCopyCheck", "Kopieren erlauben", 5, 0);
    right(AllowAnnotateCheck, "AllowAnnotateCheck", "Kommentieren erlauben", 5, 1);
    fields->setColumnStretch(2, 1);
    protection->addWidget(protectFields_);
    check(RemoveEncryptionCheck, "RemoveEncryptionCheck", "Kennwortschutz entfernen", false);
    protection->addWidget(RemoveEncryptionCheck);
    layout->addWidget(PasswordGroup);
    // Protecting anew and removing the protection exclude each other.
    connect(EncryptCheck, &QCheckBox::toggled, this, [this](bool on) {
        if (on) RemoveEncryptionCheck->setChecked(false);
        EnableEncryptionControls();
    });
    connect(RemoveEncryptionCheck, &QCheckBox::toggled, this, [this](bool on) {
        if (on) EncryptCheck->setChecked(false);
        EnableEncryptionControls();
    });

    SaveBtn = new QPushButton("PDF speichern &unter...", page);
    SaveBtn->setObjectName("SaveBtn");
    layout->addWidget(SaveBtn, 0, Qt::AlignLeft);
    connect(SaveBtn, &QPushButton::clicked, this, [this] { SaveBtnClick(); });

    ShowPDFCheck = new QCheckBox("PDF Datei nach dem Speichern an&zeigen", page);
    ShowPDFCheck->setObjectName("ShowPDFCheck");
    ShowPDFCheck->setChecked(true);
    layout->addWidget(ShowPDFCheck);
    layout->addStretch(1);
    return page;
}

void TMainForm::BuildBottomPanel(QWidget* panel)
{
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->addStretch(1);
    ueberbtn = new QPushButton(style()->standardIcon(QStyle::SP_MessageBoxInformation), "Inf&o", panel);
    ueberbtn->setObjectName("ueberbtn");
    ueberbtn->setToolTip(QString::fromUtf8("Informationen über das Programm"));
    EndeBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), "B&eenden", panel);
    EndeBtn->setObjectName("EndeBtn");
    EndeBtn->setToolTip("Hiermit verlassen Sie das Programm");
    layout->addWidget(ueberbtn);
    layout->addWidget(EndeBtn);
    connect(ueberbtn, &QPushButton::clicked, this, [this] { ueberbtnClick(); });
    connect(EndeBtn, &QPushButton::clicked, this, [this] { EndeBtnClick(); });
}

void TMainForm::BuildStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    StatusText = new QLabel(StatusBar1);
    StatusText->setObjectName("StatusText");
    // At least the room the page texts need; messages longer than that take what the bar has.
    StatusText->setMinimumWidth(350);
    StatusText->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ProgressPanel = new TProgressPanel(StatusBar1);
    ProgressPanel->setObjectName("ProgressPanel");
    ProgressPanel->setFixedWidth(50);
    ProgressPanel->setMinimumHeight(StatusText->sizeHint().height());
    StatusBar1->addWidget(StatusText);
    StatusBar1->addWidget(ProgressPanel);
    setStatusBar(StatusBar1);
}

}  // namespace folivo::app
