#include "app/MainUnit.h"

#include "view/PagePainter.h"
#include "view/PageRenderer.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/AddTextForm.h"
#include "app/OpenPDFForm.h"
#include "app/OptionalDateTime.h"
#include "app/PaintBox.h"
#include "app/PrefFolders.h"
#include "app/ProgramFolder.h"
#include "app/ProgressPanel.h"
#include "app/UserDialogs.h"
#include "pdfwrite/InformationFields.h"
#include "view/QtOutlineFontMetrics.h"
#include "view/QtText.h"

namespace folivo::app {

namespace {

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

const char* const NoDocumentText = "Es ist keine PDF-Datei geöffnet.";

// The name with ".pdf" added unless it ends so already, in any case.
QString WithPdfSuffix(const QString& path)
{
    return path.endsWith(".pdf", Qt::CaseInsensitive) ? path : path + ".pdf";
}

// The title while no document is open.
const char* const ProgramTitle = "Quillon Folivo 1.0";

}  // namespace

TMainForm::TMainForm(UserDialogs* dialogs, const QString& programFolder)
    : dialogs_(dialogs), programFolder_(programFolder)
{
    if (!dialogs_) {
        ownDialogs_ = std::make_unique<QtUserDialogs>();
        dialogs_ = ownDialogs_.get();
    }
    if (programFolder_.isEmpty()) programFolder_ = ApplicationProgramFolder();
    if (!programFolder_.endsWith('/')) programFolder_ += '/';

    setObjectName("MainForm");
    setWindowTitle(ProgramTitle);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    PageControl2 = new QTabWidget(central);
    PageControl2->setObjectName("PageControl2");
    PageControl2->addTab(BuildOpenPage(), QString::fromUtf8("PDF-Datei &öffnen"));
    PageControl2->addTab(BuildEditPage(), "&Bearbeiten");
    PageControl2->addTab(BuildInformationPage(), "&Informationen");
    PageControl2->addTab(BuildSavePage(), "PDF-Datei &speichern");
    layout->addWidget(PageControl2, 1);
    auto* bottom = new QWidget(central);
    bottom->setObjectName("BottomPanel");
    BuildBottomPanel(bottom);
    layout->addWidget(bottom);
    setCentralWidget(central);
    BuildStatusBar();
    SetUpPageTools();
    SetUpConveniences();

    resize(622, 489);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(622 / 2, 489 / 2));
    }

    // The folder tree starts at the program folder; the favourites come from folders.dat.
    ShowFolder(programFolder_);
    PrefListBox->addItems(LoadPrefFolders(PrefFoldersFile()));

    temporaryFolder_ = std::make_unique<TemporaryFolder>(ToPath(programFolder_));
    document().temporaryFolder = temporaryFolder_->Path();
    document().canvas = &canvas_;
    document().readImages = ReadImagesCheck->isChecked();
    QFont arial("Arial");
    arial.setPixelSize(15);
    SetDisplayFont(arial);
    PDFVersionBox->setCurrentIndex(DefaultVersionItem);
    ShowInformationFields();
    ShowEncryptionState();
    ShowSignatures();
}

TMainForm::~TMainForm() { FormDestroy(); }

void TMainForm::AttachForms(TOpenPDFForm* openForm, TAddTextForm* addTextForm)
{
    OpenPDFForm = openForm;
    AddTextForm = addTextForm;
    if (OpenPDFForm) OpenPDFForm->onBreak = [this] { cancelRequested_ = true; };
}

void TMainForm::openfilenow(const QString& path)
{
    if (ReadingInProgress()) return;
    if (HasUnsavedChanges() &&
        !dialogs_->ConfirmYesNo(this,
                                QString::fromUtf8("Die Änderungen an %1 wurden nicht gespeichert. Trotzdem eine "
                                                  "andere Datei öffnen?")
                                    .arg(openedFileName_),
                                QString::fromUtf8("PDF-Datei öffnen")))
        return;
    const int readingsBefore = readingsFinished_;
    reading_ = NewDocument();
    readingErrors_.clear();
    readingAccepted_ = false;
    reading_->openfilenow(ToPath(path));
    // Whichever document lost (the one replaced, or the one not read) goes now.
    reading_.reset();
    const QStringList errors = std::exchange(readingErrors_, {});
    // A cancelled password question leaves the document that was open, and its name.
    if (readingsFinished_ == readingsBefore) return;
    if (!readingAccepted_) {
        ReportUnreadFile(path, errors);
        return;
    }
    ShowReadingErrors(errors);
    openedFilePath_ = QFileInfo(path).absoluteFilePath();
    openedFileName_ = QFileInfo(path).fileName();
    changesSaved_ = false;
    ShowWindowTitle();
    ShowPageStatus();
}

std::unique_ptr<PdfDocument> TMainForm::NewDocument()
{
    auto fresh = std::make_unique<PdfDocument>(*this);
    fresh->temporaryFolder = temporaryFolder_->Path();
    fresh->canvas = &canvas_;
    fresh->readImages = ReadImagesCheck->isChecked();
    // The text-adding settings belong to the window's session, not to one file.
    fresh->addTextSettings = document_->addTextSettings;
    return fresh;
}

void TMainForm::ReportUnreadFile(const QString& path, const QStringList& errors)
{
    // Without an open document the reading's messages say it all, as they always did.
    if (!DocumentOpen()) {
        ShowReadingErrors(errors);
        return;
    }
    const QString reason = errors.isEmpty() ? QString::fromUtf8("Dies ist keine gültige PDF-Datei.") : errors.join(' ');
    dialogs_->ShowMessage(this,
                          QString::fromUtf8("Die Datei %1 konnte nicht geöffnet werden: %2\n\n%3 bleibt geöffnet.")
                              .arg(QDir::toNativeSeparators(path), reason, openedFileName_),
                          ApplicationTitle, MessageIcon::Error);
}

void TMainForm::ShowReadingErrors(const QStringList& errors)
{
    for (const QString& error : errors) dialogs_->ShowMessage(this, error, ApplicationTitle, MessageIcon::Error);
}

bool TMainForm::HasUnsavedChanges() const { return DocumentOpen() && !changesSaved_ && document().HasChanges(); }

void TMainForm::ShowWindowTitle()
{
    setWindowTitle(openedFileName_.isEmpty() ? QString(ProgramTitle)
                                             : QString::fromUtf8("%1 – Folivo").arg(openedFileName_));
}

bool TMainForm::DocumentOpen() const
{
    return document().documentRead && !document().invalid && document().pages.Count() > 0;
}

bool TMainForm::RefusedWithoutDocument(const QString& caption)
{
    if (DocumentOpen()) return false;
    dialogs_->ShowMessage(this, QString::fromUtf8(NoDocumentText), caption, MessageIcon::Information);
    return true;
}

void TMainForm::ShowPageStatus()
{
    if (openedFileName_.isEmpty()) {
        StatusText->clear();
        return;
    }
    const QString where = QString::fromUtf8(" – Seite %1 von %2, Zoom %3 %")
                              .arg(PageEd->value())
                              .arg(document().pages.Count())
                              .arg(ZoomEd->value());
    // The panel keeps its width for the page texts: a long file name gives way in its middle,
    // the page never.
    const QFontMetrics metrics = StatusText->fontMetrics();
    const int room = StatusText->contentsRect().width() - StatusText->margin() * 2 - metrics.horizontalAdvance(where) - 4;
    StatusText->setText(metrics.elidedText(openedFileName_, Qt::ElideMiddle, std::max(room, 0)) + where);
    StatusText->setToolTip(openedFileName_ + where);
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // On another screen the page is drawn for that screen's pixels (a kept drawing when the
    // ratio is the same). Queued: the new ratio holds once the move is done.
    if (QWindow* window = windowHandle())
        connect(window, &QWindow::screenChanged, this, [this] { PaintBox1Paint(); }, Qt::QueuedConnection);
    FormShow(startArguments_);
}

void TMainForm::FormShow(const QStringList& arguments)
{
    if (arguments.isEmpty()) return;
    const QString& file = arguments.front();
    if (!file.toUpper().endsWith(".PDF")) return;
    // A bare name typed in a terminal means the working folder; a desktop passes full paths,
    // and a name found in neither place is looked for beside the program.
    const bool hasFolder = file.contains('/');
    openfilenow(hasFolder || QFileInfo::exists(file) ? file : programFolder_ + file);
}

bool TMainForm::FormCloseQuery()
{
    return dialogs_->ConfirmOkCancel(
        this, QString::fromUtf8("Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!"),
        "Programm beenden");
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // No closing in the middle of a reading: the reading runs inside this call stack.
    if (ReadingInProgress() || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
}

void TMainForm::FormDestroy()
{
    if (destroyed_) return;
    destroyed_ = true;
    document().DiscardDocument();
    RemoveFolderTree(programFolder_ + "htmlout");
}

QStringList TMainForm::PrefFolderEntries() const
{
    QStringList folders;
    for (int i = 0; i < PrefListBox->count(); ++i) folders.append(PrefListBox->item(i)->text());
    return folders;
}

void TMainForm::AddToPrefFolders(const QString& folder)
{
    QStringList folders = PrefFolderEntries();
    MoveFolderToTop(folders, folder);
    PrefListBox->clear();
    PrefListBox->addItems(folders);
    // A folder that cannot be written keeps the list in the window only.
    SavePrefFolders(PrefFoldersFile(), folders);
}

void TMainForm::RemoveFromPrefFolders()
{
    // Right-clicking an entry makes it the current one.
    QListWidgetItem* item = PrefListBox->currentItem();
    if (!item) return;
    delete item;
    SavePrefFolders(PrefFoldersFile(), PrefFolderEntries());
}

void TMainForm::PrefListBoxDblClick()
{
    const QListWidgetItem* item = PrefListBox->currentItem();
    if (item && item->isSelected()) ShowFolder(item->text());
}

void TMainForm::ShowFolder(const QString& folder)
{
    pendingTreeFolder_ = QDir::cleanPath(folder);
    keepInSightFolder_.clear();
    RevealPendingTreeFolder();
    JamShellList1->setRootIndex(listModel->setRootPath(folder));
    ShowFolderState(folder);
}

void TMainForm::ShowFolderState(const QString& folder)
{
    // An empty list would otherwise look like a folder without PDF files.
    const QFileInfo info(folder);
    const bool readable = info.isDir() && info.isReadable() && info.isExecutable();
    FolderStateLabel->setText(
        !info.exists() ? QString::fromUtf8("Den Ordner %1 gibt es nicht.").arg(QDir::toNativeSeparators(folder))
                       : QString::fromUtf8("Der Ordner %1 kann nicht gelesen werden.").arg(QDir::toNativeSeparators(folder)));
    FolderStateLabel->setVisible(!readable);
}

namespace {

// folder is path or lies below it (whole names: "/home/anna" is not below "/home/ann").
bool IsWithin(const QString& folder, const QString& path)
{
    const QString parent = QDir::cleanPath(path);
    return folder == parent || folder.startsWith(parent.endsWith('/') ? parent : parent + '/');
}

}  // namespace

void TMainForm::RevealPendingTreeFolder()
{
    // The model loads folders in the background: a folder it does not know yet is selected
    // when a folder above it has been loaded. The selection is made once; later loads (any
    // change in a folder above) leave the user's choice alone.
    if (pendingTreeFolder_.isEmpty()) return;
    const QModelIndex treeIndex = treeModel->index(pendingTreeFolder_);
    if (!treeIndex.isValid()) return;
    keepInSightFolder_ = pendingTreeFolder_;
    pendingTreeFolder_.clear();
    JamShellTree1->setCurrentIndex(treeIndex);
    JamShellTree1->scrollTo(treeIndex);
}

void TMainForm::TreeFolderLoaded(const QString& loaded)
{
    if (!pendingTreeFolder_.isEmpty()) {
        if (IsWithin(pendingTreeFolder_, loaded)) RevealPendingTreeFolder();
        return;
    }
    // The selected folder's brothers arrive after it and may push it out of sight: once they
    // are there, it is scrolled to again, if it is still the tree's choice.
    if (keepInSightFolder_.isEmpty() || QFileInfo(keepInSightFolder_).path() != QDir::cleanPath(loaded)) return;
    const QModelIndex current = JamShellTree1->currentIndex();
    if (current.isValid() && QDir::cleanPath(treeModel->filePath(current)) == keepInSightFolder_)
        JamShellTree1->scrollTo(current);
    keepInSightFolder_.clear();
}

QString TMainForm::ShownFolder() const
{
    QString folder = listModel->filePath(JamShellList1->rootIndex());
    if (folder.isEmpty()) folder = listModel->rootPath();
    if (!folder.endsWith('/')) folder += '/';
    return folder;
}

void TMainForm::JamShellList1DblClick()
{
    const QModelIndex index = JamShellList1->currentIndex();
    if (!index.isValid()) return;
    if (listModel->isDir(index)) {
        ShowFolder(listModel->filePath(index));
        return;
    }
    const QString folder = ShownFolder();
    AddToPrefFolders(folder);
    openfilenow(folder + listModel->fileName(index));
}

void TMainForm::SetDisplayFont(const QFont& font)
{
    displayFont_ = font;
    canvas_.SetDisplayFont(font);
    Label4->setText("Optimieren auf: " + font.family());
}

void TMainForm::ChooseFontBtnClick()
{
    if (ReadingInProgress()) return;
    QFont chosen = displayFont_;
    if (dialogs_->ChooseFont(this, chosen)) SetDisplayFont(chosen);
    else Label4->setText("Optimieren auf: " + displayFont_.family());
    PaintBox1Paint();
}

folivo::DisplayFont TMainForm::ProtectionFont() const
{
    folivo::DisplayFont font;
    font.family = Windows1252FromQString(displayFont_.family());
    font.bold = displayFont_.bold();
    font.italic = displayFont_.italic();
    const int resolution = PageViewResolution();
    font.pixelHeight = displayFont_.pixelSize() > 0
                           ? displayFont_.pixelSize()
                           : std::max(1, static_cast<int>(std::lround(displayFont_.pointSizeF() * resolution / 72.0)));
    return font;
}

void TMainForm::FileProtectBtnClick()
{
    // During a reading the model is half built.
    if (ReadingInProgress() || RefusedWithoutDocument(QString::fromUtf8("Dateischutz hinzufügen"))) return;
    const int resolution = PageViewResolution();
    const int zoom = ZoomEd->value();
    QtOutlineFontMetrics metrics;
    // The page view's height for a page is the height of the page drawn at the current zoom,
    // upright: the text goes into the content, which a page's rotation does not turn.
    document().FileProtectBtnClick(
        ProtectionFont(), metrics,
        [this, resolution, zoom](int page) { return UnturnedPageDrawingSize(document(), page, zoom, resolution).height(); },
        resolution, zoom);
    changesSaved_ = false;
    pageImages_.Clear();
    if (AddTextForm) AddTextForm->ShowSettings();
    PageEd->setValue(1);
    PaintBox1Paint();
}

void TMainForm::ShowInformationFields()
{
    fillingFields_ = true;
    const InfoFields& info = document().info;
    Edit1->setText(FromUtf8(info.producer));
    Edit2->setText(FromUtf8(info.creator));
    Edit3->setText(FromUtf8(info.author));
    Edit4->setText(FromUtf8(info.title));
    Edit5->setText(FromUtf8(info.subject));
    Edit6->setText(FromUtf8(info.keywords));
    fillingFields_ = false;
    ShowDates();
}

void TMainForm::ShowDates()
{
    fillingFields_ = true;
    const InfoFields& info = document().info;
    DateTimePicker1->ShowDate(info.createdDate, info.createdPresent);
    DateTimePicker2->ShowTime(info.createdTime, info.createdPresent);
    DateTimePicker3->ShowDate(info.modifiedDate, info.modifiedPresent);
    DateTimePicker4->ShowTime(info.modifiedTime, info.modifiedPresent);
    fillingFields_ = false;
}

void TMainForm::InformationEdited()
{
    if (fillingFields_) return;
    InfoFields& info = document().info;
    info.producer = ToUtf8(Edit1->text());
    info.creator = ToUtf8(Edit2->text());
    info.author = ToUtf8(Edit3->text());
    info.title = ToUtf8(Edit4->text());
    info.subject = ToUtf8(Edit5->text());
    info.keywords = ToUtf8(Edit6->text());
    info.changedByUser = true;
    changesSaved_ = false;
}

void TMainForm::DateEdited(bool created)
{
    if (fillingFields_) return;
    InfoFields& info = document().info;
    const OptionalDateEdit& datePicker = created ? *DateTimePicker1 : *DateTimePicker3;
    const OptionalTimeEdit& timePicker = created ? *DateTimePicker2 : *DateTimePicker4;
    // A picker still showing the date absent leaves the starting point in the fields.
    if (datePicker.ShowsValue()) (created ? info.createdDate : info.modifiedDate) = datePicker.Value();
    if (timePicker.ShowsValue()) (created ? info.createdTime : info.modifiedTime) = timePicker.Value();
    (created ? info.createdPresent : info.modifiedPresent) = true;
    info.changedByUser = true;
    changesSaved_ = false;
    // The other picker of the pair now shows its part of the date too.
    ShowDates();
}

void TMainForm::NowBtnClick()
{
    SetModifiedToNow(document().info);
    document().info.changedByUser = true;
    changesSaved_ = false;
    ShowInformationFields();
}

void TMainForm::SaveBtnClick()
{
    if (ReadingInProgress() || RefusedWithoutDocument("PDF speichern unter")) return;
    // Only an appended save keeps the signatures; asked before the dialog, so that "Nein" is
    // the end of it.
    if (!AppendCheck->isChecked() && !document().signatures.empty() &&
        !dialogs_->ConfirmYesNo(this, QString::fromUtf8(PdfDocument::SignaturesBrokenWarning), "PDF speichern unter"))
        return;
    const QString path = dialogs_->SaveFileName(this, "PDF speichern unter...", "PDF-Dateien (*.pdf)",
                                                QFileInfo(openedFilePath_).absolutePath());
    if (path.isEmpty()) return;
    // The dialog adds its suffix only to names without any ("Bericht v1.2" has "2"); the name
    // it checked for overwriting is then not the one written, so that question is asked here.
    const QString pdfPath = WithPdfSuffix(path);
    if (pdfPath != path && QFileInfo::exists(pdfPath) &&
        !dialogs_->ConfirmYesNo(this,
                                QString::fromUtf8("Die Datei %1 existiert bereits. Soll sie ersetzt werden?")
                                    .arg(QDir::toNativeSeparators(pdfPath)),
                                "PDF speichern unter"))
        return;
    SaveTo(pdfPath);
}

void TMainForm::ShowEncryptionState()
{
    ClearPasswordEdits();
    EncryptCheck->setChecked(false);
    RemoveEncryptionCheck->setChecked(false);
    const bool open = DocumentOpen();
    if (!open) EncryptionStateLabel->clear();
    else if (document().encryption.handler)
        EncryptionStateLabel->setText(
            QString::fromUtf8("Die Datei ist mit einem Kennwort geschützt; sie bleibt beim Speichern so geschützt."));
    else EncryptionStateLabel->setText(QString::fromUtf8("Die Datei ist nicht mit einem Kennwort geschützt."));
    const bool denied = open && !document().ChangesAllowed();
    ChangesDeniedLabel->setText(denied ? QString::fromUtf8("Der Verfasser dieser PDF-Datei erlaubt keine Änderungen. "
                                                           "Ohne das Kennwort für Änderungen kann sie nur unverändert "
                                                           "gespeichert werden.")
                                       : QString());
    ChangesDeniedLabel->setVisible(denied);
    InfoChangesDeniedLabel->setText(ChangesDeniedLabel->text());
    InfoChangesDeniedLabel->setVisible(denied);
    // New encryption starts from what the file allows today (everything, when unencrypted).
    const int32_t permissions =
        open && document().encryption.handler ? document().encryption.handler->Parameters().permissions : ~0;
    const std::pair<QCheckBox*, int32_t> rights[] = {{AllowPrintCheck, PermitPrint},
                                                     {AllowModifyCheck, PermitModify},
                                                     {AllowCopyCheck, PermitCopy},
                                                     {AllowAnnotateCheck, PermitAnnotate}};
    for (const auto& [box, bit] : rights) box->setChecked((permissions & bit) != 0);
    EnableChanges(!denied);
    EnableEncryptionControls();
}

void TMainForm::ShowSignatures()
{
    const bool open = DocumentOpen();
    const size_t count = open ? document().signatures.size() : 0;
    SignatureLabel->setText(count == 1 ? QString("Dieses Dokument ist digital signiert (1 Signatur).")
                                       : QString("Dieses Dokument ist digital signiert (%1 Signaturen).").arg(count));
    SignatureLabel->setVisible(count > 0);
    AppendCheck->setEnabled(open);
    // setChecked is silent when the box stays as it is; the controls follow it either way. A
    // repaired file's cross-references cannot be extended: it is saved as a new file.
    AppendCheck->setChecked(count > 0 && !document().repaired);
    EnableSaveMode();
}

void TMainForm::EnableSaveMode()
{
    const bool appending = AppendCheck->isChecked();
    // The box would otherwise show a version the appended file does not get.
    if (appending) PDFVersionBox->setCurrentIndex(readVersionItem_);
    PDFVersionBox->setEnabled(!appending);
    // The group's own rules (changes denied, no encryption to remove) stay with its boxes; a
    // disabled group only adds to them, and ChosenPasswordSettings sees its boxes disabled.
    PasswordGroup->setEnabled(!appending);
    ShowVersionNote();
}

void TMainForm::EnableChanges(bool allowed)
{
    // The save would refuse them: the fields show the information but do not take edits.
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6}) {
        edit->setReadOnly(!allowed);
        // Greyed, so that they do not look editable; the page says why.
        edit->setEnabled(allowed);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{DateTimePicker1, DateTimePicker2, DateTimePicker3,
                                                            DateTimePicker4, NowBtn, FileProtectBtn})
        control->setEnabled(allowed);
}

void TMainForm::EnableEncryptionControls()
{
    const bool changeable = DocumentOpen() && document().EncryptionChangeAllowed();
    EncryptCheck->setEnabled(changeable);
    RemoveEncryptionCheck->setEnabled(changeable && document().encryption.handler != nullptr);
    protectFields_->setEnabled(EncryptCheck->isEnabled() && EncryptCheck->isChecked());
    // The state as read says nothing about the save while a change of it is chosen.
    EncryptionStateLabel->setVisible(!EncryptCheck->isChecked() && !RemoveEncryptionCheck->isChecked());
    ShowVersionNote();
}

void TMainForm::ShowVersionNote()
{
    if (!VersionNoteLabel) return;
    const PasswordSettings chosen = ChosenPasswordSettings();
    const auto& kept = document().encryption.handler;
    const bool aes256 = !AppendCheck->isChecked() &&
                        (chosen.mode == PasswordSettings::Mode::Encrypt ||
                         (chosen.mode == PasswordSettings::Mode::Keep && kept && kept->Parameters().revision >= 5));
    const int item = PDFVersionBox->currentIndex();
    const int written = WrittenVersionItem(item, aes256);
    VersionNoteLabel->setText(QString::fromUtf8("Mit dem Kennwortschutz (AES-256) wird die Datei als PDF %1 "
                                                "gespeichert: ältere Versionen kennen diese Verschlüsselung nicht.")
                                  .arg(VersionTexts[written]));
    VersionNoteLabel->setVisible(written != item);
}

PasswordSettings TMainForm::ChosenPasswordSettings() const
{
    PasswordSettings settings;
    if (EncryptCheck->isEnabled() && EncryptCheck->isChecked()) {
        settings.mode = PasswordSettings::Mode::Encrypt;
        settings.userPassword = ToUtf8(UserPasswordEdit->text());
        settings.ownerPassword = ToUtf8(OwnerPasswordEdit->text());
        const std::pair<const QCheckBox*, int32_t> rights[] = {{AllowPrintCheck, PermitPrint},
                                                               {AllowModifyCheck, PermitModify},
                                                               {AllowCopyCheck, PermitCopy},
                                                               {AllowAnnotateCheck, PermitAnnotate}};
        for (const auto& [box, bit] : rights)
            if (!box->isChecked()) settings.denied |= bit;
    } else if (RemoveEncryptionCheck->isEnabled() && RemoveEncryptionCheck->isChecked()) {
        settings.mode = PasswordSettings::Mode::Remove;
    }
    return settings;
}

void TMainForm::ClearPasswordEdits()
{
    for (QLineEdit* edit : {UserPasswordEdit, UserPasswordRepeatEdit, OwnerPasswordEdit, OwnerPasswordRepeatEdit})
        edit->clear();
}

QString TMainForm::PasswordRepeatProblem() const
{
    if (UserPasswordEdit->text() != UserPasswordRepeatEdit->text())
        return QString::fromUtf8("Die beiden Eingaben des Kennworts zum Öffnen stimmen nicht überein.");
    if (OwnerPasswordEdit->text() != OwnerPasswordRepeatEdit->text())
        return QString::fromUtf8("Die beiden Eingaben des Kennworts für Änderungen stimmen nicht überein.");
    return {};
}

bool TMainForm::SaveTo(const QString& path)
{
    // The model is half built while a reading runs.
    if (ReadingInProgress()) return false;
    document().appendChanges = AppendCheck->isChecked();
    document().versionItem = PDFVersionBox->currentIndex();
    document().passwordSettings = document().appendChanges ? PasswordSettings{} : ChosenPasswordSettings();
    if (document().passwordSettings.mode == PasswordSettings::Mode::Encrypt) {
        if (const QString problem = PasswordRepeatProblem(); !problem.isEmpty()) {
            document().passwordSettings = PasswordSettings{};
            dialogs_->ShowMessage(this, problem, "PDF speichern unter", MessageIcon::Error);
            return false;
        }
    }
    const bool saved = document().SavePDFNew(ToPath(path));
    const bool encryptedAnew = document().passwordSettings.mode == PasswordSettings::Mode::Encrypt;
    // The passwords stay in memory no longer than the save they were entered for.
    document().passwordSettings = PasswordSettings{};
    if (!saved) return false;
    changesSaved_ = true;
    if (encryptedAnew) ClearPasswordEdits();
    if (ShowPDFCheck->isChecked() && !dialogs_->OpenWithDesktop(path))
        dialogs_->ShowMessage(this,
                              QString::fromUtf8("Die Datei %1 wurde gespeichert, konnte aber nicht mit dem "
                                                "Standardprogramm für PDF-Dateien geöffnet werden.")
                                  .arg(QDir::toNativeSeparators(path)),
                              "PDF anzeigen", MessageIcon::Warning);
    return true;
}

void TMainForm::EndeBtnClick() { close(); }

void TMainForm::ueberbtnClick() { dialogs_->ShowAbout(this); }

int TMainForm::Progress() const { return ProgressPanel->Progress(); }

void TMainForm::SetProStatus(int value)
{
    if (OpenPDFForm) OpenPDFForm->ProgressBar1->setValue(qBound(0, value, 100));
    const bool falling = value < ProgressPanel->Progress();
    ProgressPanel->SetProgress(value);
    // A falling value draws the panel anew from empty; a rising one only adds to the bar.
    if (falling) StatusBar1->repaint();
    else SBarPaintMore();
}

void TMainForm::SBarPaintMore() { ProgressPanel->repaint(); }

int TMainForm::PageViewResolution() const
{
    return PaintBox1->logicalDpiX() > 0 ? PaintBox1->logicalDpiX() : 96;
}

void TMainForm::PaintBox1Paint()
{
    // Nothing is drawn while a reading runs.
    if (ReadingInProgress()) return;
    // Without a document there is no page to show, not even a blank sheet.
    if (!DocumentOpen()) {
        PaintBox1->SetPicture(QImage());
        ShowPageStatus();
        return;
    }
    const int resolution = PageViewResolution();
    const PageImageCache::Key key = PageViewKey(resolution);
    QImage picture = pageImages_.Find(key);
    if (picture.isNull()) {
        picture = SimplifiedCheck->isChecked()
                      ? RenderPage(document(), PageEd->value(), ZoomEd->value(), resolution, displayFont_)
                      : RenderPageAsPrinted(document(), Fonts(), PageEd->value(), ZoomEd->value(), resolution,
                                            PaintBox1->devicePixelRatioF(),
                                            [this](const std::string& problem) { AddMemoLine(problem); });
        ++pageDrawings_;
        pageImages_.Store(key, picture);
    }
    PaintBox1->SetPicture(picture);
    ShowPageStatus();
    // An empty view needs a word: the drawing of the page at this zoom is too large to hold,
    // or smaller than a pixel.
    if (picture.isNull() && !openedFileName_.isEmpty()) {
        const QSize size = PageDrawingSize(document(), PageEd->value(), ZoomEd->value(), resolution);
        const bool tooSmall = size.width() < 1 || size.height() < 1;
        StatusText->setText((tooSmall ? QString::fromUtf8("Die Seite ist bei %1 % zu klein zum Anzeigen, bitte vergrößern.")
                                      : QString::fromUtf8("Die Seite ist bei %1 % zu groß zum Anzeigen, bitte verkleinern."))
                                .arg(ZoomEd->value()));
    }
}

PageImageCache::Key TMainForm::PageViewKey(int resolution) const
{
    PageImageCache::Key key;
    key.page = PageEd->value();
    key.zoom = ZoomEd->value();
    key.resolution = resolution;
    key.simplified = SimplifiedCheck->isChecked();
    // Only the simplified drawing uses the display font; only the one as printed the screen's
    // pixel ratio and the pictures' reading.
    if (key.simplified) {
        key.displayFont = displayFont_.toString();
    } else {
        key.pixelRatio = PaintBox1->devicePixelRatioF();
        key.readImages = document().readImages;
    }
    if (key.page >= 1 && static_cast<uint32_t>(key.page) <= document().pages.Count()) {
        const PageRecord& page = *document().pages.At(static_cast<uint32_t>(key.page - 1));
        key.content = page.content;
        key.contentLength = page.contentLength;
    }
    return key;
}

FontPrograms& TMainForm::Fonts()
{
    if (!fonts_) fonts_ = std::make_unique<FontPrograms>(document());
    return *fonts_;
}

void TMainForm::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon)
{
    if (reading_ && icon == MessageIcon::Error) {
        readingErrors_.append(FromUtf8(text));
        return;
    }
    dialogs_->ShowMessage(this, FromUtf8(text), FromUtf8(caption), icon);
}

void TMainForm::ShowProgressWindow()
{
    if (OpenPDFForm) OpenPDFForm->ShowCentred();
}

void TMainForm::CloseProgressWindow()
{
    if (OpenPDFForm) OpenPDFForm->hide();
}

void TMainForm::AddMemoLine(const std::string& line)
{
    if (OpenPDFForm) OpenPDFForm->Memo1->appendPlainText(FromUtf8(line));
}

void TMainForm::SetProgressLabel(const std::string& text)
{
    if (OpenPDFForm) OpenPDFForm->Label1->setText(FromUtf8(text));
}

void TMainForm::ProcessMessages()
{
    // The reader asks once per page and the interpreter once per token, millions of times for
    // a big document. Looking at the queue about sixty times a second keeps the window live and
    // the cancel button prompt without making the reading ten times slower.
    if (messageTimer_.isValid() && messageTimer_.elapsed() < MessageIntervalMs) return;
    QCoreApplication::processEvents();
    messageTimer_.start();
}

PasswordAnswer TMainForm::AskPassword(const std::string& fileName, bool again, std::string& password)
{
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(fileName))).fileName();
    const std::optional<QString> answer = dialogs_->AskPassword(this, name, again);
    if (!answer) return PasswordAnswer::Cancelled;
    password = ToUtf8(*answer);
    return PasswordAnswer::Entered;
}

void TMainForm::ReadingFinished(int pageCount)
{
    ++readingsFinished_;
    // The drawings kept may show a document that is gone, or this one as it was.
    pageImages_.Clear();
    // A file that could not be read leaves the open document, its page and its edits alone.
    const PdfDocument& read = reading_ ? *reading_ : *document_;
    readingAccepted_ = read.documentRead && !read.invalid && read.pages.Count() > 0;
    if (!readingAccepted_ && DocumentOpen()) return;
    if (reading_) {
        std::swap(document_, reading_);
        // The glyphs belong to the document they were read from.
        fonts_.reset();
        if (AddTextForm) AddTextForm->UseSettings(document_->addTextSettings);
    }
    Label6->setText("von " + QString::number(pageCount));
    // The field goes up to 10000, or to the last page of a longer document.
    PageEd->setMaximum(std::max(PageFieldMaximum, pageCount));
    PageEd->setValue(1);
    readVersionItem_ = document().versionItem;
    PDFVersionBox->setCurrentIndex(readVersionItem_);
    ShowInformationFields();
    ShowEncryptionState();
    ShowSignatures();
    PageControl2->setCurrentIndex(1);
    ScrollPageViewToTop(true);
    // The reading flag is still set here; page 1 is drawn once the reading has returned.
    QMetaObject::invokeMethod(this, [this] { PaintBox1Paint(); }, Qt::QueuedConnection);
}

}  // namespace folivo::app
