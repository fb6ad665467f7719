// What people expect of a desktop document program beyond its buttons: dropping a PDF file on
// the window opens it, and the usual keys save, open, zoom and quit.
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QMimeData>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeView>
#include <QUrl>

#include "app/MainUnit.h"
#include "app/UserDialogs.h"

namespace folivo::app {

namespace {

// The first local file among the dropped ones, a PDF file if there is one; empty when none.
QString DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return {};
    QString other;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        if (url.toLocalFile().endsWith(".pdf", Qt::CaseInsensitive)) return url.toLocalFile();
        if (other.isEmpty()) other = url.toLocalFile();
    }
    return other;
}

}  // namespace

void TMainForm::SetUpConveniences()
{
    setAcceptDrops(true);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, [this] { SaveBtnClick(); });
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, [this] {
        PageControl2->setCurrentIndex(0);
        JamShellList1->setFocus();
    });
    connect(new QShortcut(QKeySequence::ZoomIn, this), &QShortcut::activated, this, [this] { ZoomEd->stepUp(); });
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this, [this] { ZoomEd->stepDown(); });
    // Spelled out: the platform's quit key is not Ctrl+Q everywhere. close() asks first.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this, [this] { close(); });
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    // Any local file is taken, so that one which is not a PDF file gets an answer.
    if (!ReadingInProgress() && !DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    if (!file.endsWith(".pdf", Qt::CaseInsensitive)) {
        dialogs_->ShowMessage(this,
                              QString::fromUtf8("Die Datei %1 ist keine PDF-Datei; geöffnet werden nur Dateien, deren "
                                                "Name auf .pdf endet.")
                                  .arg(QDir::toNativeSeparators(file)),
                              QString::fromUtf8("PDF-Datei öffnen"), MessageIcon::Information);
        return;
    }
    openfilenow(file);
}

}  // namespace folivo::app
