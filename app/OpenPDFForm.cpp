#include "app/OpenPDFForm.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace folivo::app {

TOpenPDFForm::TOpenPDFForm(QWidget* parent) : QFrame(parent)
{
    setObjectName("OpenPDFForm");
    setWindowTitle(QString::fromUtf8("PDF-Datei öffnen..."));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(windowTitle(), this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    layout->addWidget(caption);

    InfoLabel = new QLabel(QString::fromUtf8("Die PDF-Datei wird nun geöffnet, dies kann je nach Größe der Datei "
                                             "einige Zeit in Anspruch nehmen!"),
                           this);
    InfoLabel->setWordWrap(true);
    layout->addWidget(InfoLabel);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    layout->addWidget(ProgressBar1);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    layout->addWidget(Label1);

    BreakBtn = new QPushButton("Aktion abbrechen", this);
    BreakBtn->setObjectName("BreakBtn");
    layout->addWidget(BreakBtn, 0, Qt::AlignRight);
    connect(BreakBtn, &QPushButton::clicked, this, &TOpenPDFForm::BreakBtnClick);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    layout->addWidget(Memo1, 1);

    resize(420, 300);
    hide();
}

void TOpenPDFForm::BreakBtnClick()
{
    if (onBreak) onBreak();
}

void TOpenPDFForm::ShowCentred()
{
    if (QWidget* owner = parentWidget()) {
        const QSize size(qMin(420, owner->width()), qMin(300, owner->height()));
        resize(size);
        move((owner->width() - size.width()) / 2, (owner->height() - size.height()) / 2);
    }
    show();
    raise();
}

}  // namespace folivo::app
