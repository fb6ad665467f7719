// The main window: owns the document, shows it on four tab pages and is the document's user
// interface (messages, progress, the message loop, the end of a reading).
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QMainWindow>
#include <QStringList>
#include <memory>

#include "app/Cursors.h"
#include "app/PageImageCache.h"
#include "core/TemporaryFolder.h"
#include "core/UserInterfacePort.h"
#include "document/PdfDocument.h"
#include "pdfwrite/OutlineFontMetrics.h"
#include "view/FontPrograms.h"
#include "view/QtMeasuringCanvas.h"

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QModelIndex;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QTreeView;

namespace folivo::app {

class OptionalDateEdit;
class OptionalTimeEdit;
class TAddTextForm;
class TOpenPDFForm;
class TPaintBox;
class TProgressPanel;
class UserDialogs;

class TMainForm : public QMainWindow, public UserInterfacePort {
    Q_OBJECT
public:
    // dialogs answers for the user (the real dialogs when null); programFolder ends in '/'
    // (the executable's folder, or the user's data folder, when empty).
    explicit TMainForm(UserDialogs* dialogs = nullptr, const QString& programFolder = QString());
    ~TMainForm() override;

    // The forms created after the main window.
    void AttachForms(TOpenPDFForm* openForm, TAddTextForm* addTextForm);

    PdfDocument& document() { return *document_; }
    // The open document's glyphs, kept between drawings; made anew for each document.
    FontPrograms& Fonts();
    const PdfDocument& document() const { return *document_; }

    // Reads a file unless a reading is in progress. The file is read beside the open document,
    // which it replaces only when it could be read; unsaved changes are asked about first.
    void openfilenow(const QString& path);
    // A file is being read (the open document's or the one that may replace it).
    bool ReadingInProgress() const { return reading_ != nullptr || document_->readingInProgress; }
    // The open document has changes that no save has written since.
    bool HasUnsavedChanges() const;
    // A readable document with pages is open.
    bool DocumentOpen() const;

    // The command-line arguments (without the program) that the first showing looks at.
    void SetStartArguments(const QStringList& arguments) { startArguments_ = arguments; }
    void FormShow(const QStringList& arguments);
    // Asks before closing; true when the window may close.
    bool FormCloseQuery();
    void FormDestroy();

    // Favourites.
    void AddToPrefFolders(const QString& folder);
    // Removes the current entry (the context menu's choice) and rewrites folders.dat.
    void RemoveFromPrefFolders();
    void PrefListBoxDblClick();
    QString PrefFoldersFile() const { return programFolder_ + "folders.dat"; }
    // The file list: opens a folder in the list, or reads the chosen PDF file.
    void JamShellList1DblClick();
    // Shows folder in the tree and its PDF files in the list.
    void ShowFolder(const QString& folder);
    QString ShownFolder() const;
    // Under the file list: why it is empty when the folder cannot be read.
    void ShowFolderState(const QString& folder);

    void ChooseFontBtnClick();
    // Adds the protection font and its text object to every page (the editing page's button).
    void FileProtectBtnClick();
    // The display font as the protection describes it.
    folivo::DisplayFont ProtectionFont() const;
    void NowBtnClick();
    void SaveBtnClick();
    // Saving to a chosen path, then the desktop's viewer when ShowPDFCheck is checked.
    bool SaveTo(const QString& path);
    void EndeBtnClick();
    void ueberbtnClick();

    void SetProStatus(int value) override;
    void SBarPaintMore();
    int Progress() const;

    // The page view: shows the current page, drawn anew only when no kept drawing shows it as
    // it is now.
    void PaintBox1Paint();
    // The page view's drawings made so far; a kept drawing shown again is not counted.
    int PageDrawingCount() const { return pageDrawings_; }
    // The paint box's pixels per inch (96 when the device reports none), for both axes.
    int PageViewResolution() const;

    // The page tools: the magnifier zooms around a click, the hand pans; x, y are paint-box
    // pixels.
    void PaintBox1MouseDown(Qt::MouseButton button, int x, int y);
    void PaintBox1MouseMove(int x, int y);
    void PaintBox1MouseUp();
    // One wheel notch on the editing tab scrolls the page view by WheelStepPixels; at the end of
    // the page it turns to the next page (from its top), at the top to the previous one (its end).
    void FormMouseWheelUp();
    void FormMouseWheelDown();
    // Three lines of body text (14 pt each) at the page view's resolution and zoom.
    int WheelStepPixels() const;
    // The editing tab's index in PageControl2.
    static constexpr int EditTab = 1;
    // The document's pages as the page field counts them; 0 without a document.
    int PageCount() const;
    // Goes step pages on through the page field; false when there is no such page.
    bool TurnPage(int step);
    // Shows page through the page field, from its top, or from its end when atItsEnd.
    void ShowPage(int page, bool atItsEnd);
    // A screen further down or up; past the end of the page the next or previous page.
    void PageViewPageDown();
    void PageViewPageUp();
    void ZoomEdChange();
    void PageEdChange();
    void LupeBtnClick();
    void HandBtnClick();
    // Sets the paint box's cursor to a cursor slot; setdragmod picks the active tool's slot.
    void setcursor_(int slot);
    void setdragmod();
    // The hand's grab point while it pans.
    bool Panning = false;
    int32_t PanStartX = 0;
    int32_t PanStartY = 0;
    // The screen's cursor slots, registered when the window is created.
    CursorSlots ScreenCursors;

    // UserInterfacePort.
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void ShowProgressWindow() override;
    void CloseProgressWindow() override;
    void AddMemoLine(const std::string& line) override;
    void SetProgressLabel(const std::string& text) override;
    void ProcessMessages() override;
    bool CancelRequested() const override { return cancelRequested_; }
    void ClearCancelRequest() override { cancelRequested_ = false; }
    void ReadingFinished(int pageCount) override;
    PasswordAnswer AskPassword(const std::string& fileName, bool again, std::string& password) override;

    const QString& ProgramFolder() const { return programFolder_; }
    // The open document's file; empty when none is open.
    const QString& OpenedFilePath() const { return openedFilePath_; }
    const QFont& DisplayFont() const { return displayFont_; }

    // Controls, named as the tests and the rest of the program find them.
    QTabWidget* PageControl2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusText = nullptr;
    TProgressPanel* ProgressPanel = nullptr;
    QPushButton* ueberbtn = nullptr;
    QPushButton* EndeBtn = nullptr;

    QListWidget* PrefListBox = nullptr;
    QTreeView* JamShellTree1 = nullptr;
    QTreeView* JamShellList1 = nullptr;
    QFileSystemModel* treeModel = nullptr;
    QFileSystemModel* listModel = nullptr;
    QLabel* FolderStateLabel = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* ChooseFontBtn = nullptr;
    QCheckBox* ReadImagesCheck = nullptr;

    QToolBar* ToolBar1 = nullptr;
    QPushButton* LupeBtn = nullptr;
    QPushButton* HandBtn = nullptr;
    QSpinBox* ZoomEd = nullptr;
    // Off: the page as printed; on: every text in the display font, with the note saying so.
    QCheckBox* SimplifiedCheck = nullptr;
    QLabel* SimplifiedNote = nullptr;
    QSpinBox* PageEd = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* FileProtectBtn = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TPaintBox* PaintBox1 = nullptr;

    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    OptionalDateEdit* DateTimePicker1 = nullptr;
    OptionalTimeEdit* DateTimePicker2 = nullptr;
    OptionalDateEdit* DateTimePicker3 = nullptr;
    OptionalTimeEdit* DateTimePicker4 = nullptr;
    QPushButton* NowBtn = nullptr;
    QLabel* InfoChangesDeniedLabel = nullptr;
    QLabel* SignatureLabel = nullptr;

    QComboBox* PDFVersionBox = nullptr;
    QCheckBox* AppendCheck = nullptr;
    QPushButton* SaveBtn = nullptr;
    QCheckBox* ShowPDFCheck = nullptr;
    QGroupBox* PasswordGroup = nullptr;
    QLabel* EncryptionStateLabel = nullptr;
    QLabel* ChangesDeniedLabel = nullptr;
    QCheckBox* EncryptCheck = nullptr;
    QLineEdit* UserPasswordEdit = nullptr;
    QLineEdit* OwnerPasswordEdit = nullptr;
    QLineEdit* UserPasswordRepeatEdit = nullptr;
    QLineEdit* OwnerPasswordRepeatEdit = nullptr;
    QLabel* VersionNoteLabel = nullptr;
    QCheckBox* AllowPrintCheck = nullptr;
    QCheckBox* AllowModifyCheck = nullptr;
    QCheckBox* AllowCopyCheck = nullptr;
    QCheckBox* AllowAnnotateCheck = nullptr;
    QCheckBox* RemoveEncryptionCheck = nullptr;

    TOpenPDFForm* OpenPDFForm = nullptr;
    TAddTextForm* AddTextForm = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* BuildOpenPage();
    // The favourites as the list shows them, most recent first.
    QStringList PrefFolderEntries() const;
    QWidget* BuildEditPage();
    QWidget* BuildInformationPage();
    QWidget* BuildSavePage();
    void BuildBottomPanel(QWidget* panel);
    void BuildStatusBar();

    // The information page shows the document's fields; edits go back into them.
    void ShowInformationFields();
    void ShowDates();
    void InformationEdited();
    // A picker of the creation (pickers 1/2) or modification date (3/4) changed.
    void DateEdited(bool created);
    // True (after telling the user) when no document is open for what the user asked.
    bool RefusedWithoutDocument(const QString& caption);
    // The page view at the top of the page, and at its left when fromLeft.
    void ScrollPageViewToTop(bool fromLeft);
    void SetDisplayFont(const QFont& font);
    // The save page's password group for the document just read: its encryption and rights,
    // no password and neither protect nor remove chosen.
    void ShowEncryptionState();
    // Information, dates and the document protection take changes only where the author allows.
    void EnableChanges(bool allowed);
    // Which password group controls can be used with the boxes as they are checked.
    void EnableEncryptionControls();
    // The signatures of the document just read: the information page's note, and appending
    // chosen for a signed document.
    void ShowSignatures();
    // Appending keeps the version and the encryption as read: their controls rest meanwhile.
    void EnableSaveMode();
    // Says that the version box's choice is raised for AES-256 encryption, when it is.
    void ShowVersionNote();
    // The encryption the next save writes, from the password group.
    PasswordSettings ChosenPasswordSettings() const;
    void ClearPasswordEdits();
    // Why the passwords and their repetitions do not agree; empty when they do.
    QString PasswordRepeatProblem() const;
    // The status bar's text: the open file, its page and the zoom.
    void ShowPageStatus();
    void RevealPendingTreeFolder();
    void TreeFolderLoaded(const QString& loaded);
    // Registers the tool cursors and takes the wheel and the paging keys over the page view.
    void SetUpPageTools();
    // Dropping files on the window and the usual keys (save, open, zoom, quit).
    void SetUpConveniences();
    void MagnifierStep(int x, int y, bool zoomIn);
    // Paging through the document on the editing tab (PageUp, PageDown and space, Home, End).
    void SetUpPageKeys();
    void ScrollPageView(int64_t horizontal, int64_t vertical);

    // What the page view would show now, for finding a kept drawing of it.
    PageImageCache::Key PageViewKey(int resolution) const;

    // A fresh document that reads like the open one (temporary folder, canvas, pictures).
    std::unique_ptr<PdfDocument> NewDocument();
    // Shows a reading's error messages, held back while it ran.
    void ShowReadingErrors(const QStringList& errors);
    // Tells why the file at path was not read; errors are the reading's own messages.
    void ReportUnreadFile(const QString& path, const QStringList& errors);
    // The window title: the open document's name, then the program.
    void ShowWindowTitle();

    std::unique_ptr<PdfDocument> document_ = std::make_unique<PdfDocument>(*this);
    std::unique_ptr<FontPrograms> fonts_;
    // The page view's last drawings; emptied whenever the document is replaced, read again or
    // protected.
    PageImageCache pageImages_;
    int pageDrawings_ = 0;
    // The document being read while the open one stays; null outside a reading.
    std::unique_ptr<PdfDocument> reading_;
    // The error messages of that reading, held back until it is known whether it replaces the
    // open document.
    QStringList readingErrors_;
    bool readingAccepted_ = false;
    // Set by a save, cleared by the next change: HasChanges stays true after saving, since
    // every later save writes the changes again.
    bool changesSaved_ = false;
    std::unique_ptr<UserDialogs> ownDialogs_;
    UserDialogs* dialogs_;
    QString programFolder_;
    // The reader's temporary files, apart from those of other windows.
    std::unique_ptr<TemporaryFolder> temporaryFolder_;
    QStringList startArguments_;
    // The folder the tree still has to select once the model knows it; empty when none.
    QString pendingTreeFolder_;
    // The folder the tree selected for ShowFolder, to be scrolled into sight again once its
    // parent's other folders have arrived; empty when none.
    QString keepInSightFolder_;
    QString openedFilePath_;
    QString openedFileName_;
    // The version box's item for the document as read, shown again while appending.
    int readVersionItem_ = DefaultVersionItem;
    bool shown_ = false;
    bool destroyed_ = false;
    bool cancelRequested_ = false;
    // Counts the readings that ended; a file whose password question was cancelled was never read.
    int readingsFinished_ = 0;
    // The password edits and permission boxes of new encryption.
    QWidget* protectFields_ = nullptr;
    // True while the window itself fills the information widgets.
    bool fillingFields_ = false;
    static constexpr qint64 MessageIntervalMs = 15;
    static constexpr int PageFieldMaximum = 10000;
    // The file list's name column is at least this many average characters wide.
    static constexpr int FileNameRoomChars = 24;
    QElapsedTimer messageTimer_;
    QFont displayFont_;
    QtMeasuringCanvas canvas_;
    int paintBoxCursorSlot_ = -1;
};

}  // namespace folivo::app
