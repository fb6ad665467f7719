// What people expect of a desktop document program beyond its buttons: dropping a PDF file on
// the window opens it, and the usual keys save, open, zoom and quit.
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

namespace folivo::app {

namespace {

// The first local PDF file among the dropped ones; empty when there is none.
QString DroppedPdf(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && url.toLocalFile().endsWith(".pdf", Qt::CaseInsensitive)) return url.toLocalFile();
    }
    return {};
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
    if (!ReadingInProgress() && !DroppedPdf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QString file = DroppedPdf(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    openfilenow(file);
}

}  // namespace folivo::app
