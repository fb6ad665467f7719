// Dropping files on the window and the usual keys.
#include <QAbstractButton>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <map>

#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

bool Drop(QWidget& window, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    return true;
}

TEST(Conveniences, DroppedPdfFileOpensAndOtherFilesAreRefusedWithAWord)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "Gezogen.PDF");
    const std::string text = folder.Write("notiz.txt", "x");
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    EXPECT_FALSE(Drop(form, {QUrl("https://example.org/a.pdf")}));
    EXPECT_TRUE(windows.dialogs.messages.empty());
    EXPECT_TRUE(Drop(form, {QUrl::fromLocalFile(QString::fromStdString(text)), QUrl("https://example.org/a.pdf")}));
    ASSERT_EQ(windows.dialogs.messages.size(), 1u);
    EXPECT_TRUE(windows.dialogs.messages[0].text.startsWith(
        QString::fromUtf8("Die Datei %1 ist keine PDF-Datei").arg(QString::fromStdString(text))));
    EXPECT_EQ(form.Label6->text(), "von 0");
    // The first PDF file among the dropped ones is read.
    EXPECT_TRUE(Drop(form, {QUrl::fromLocalFile(QString::fromStdString(text)),
                            QUrl::fromLocalFile(QString::fromStdString(sample))}));
    EXPECT_EQ(form.Label6->text(), "von 2");
    EXPECT_EQ(form.PageControl2->currentIndex(), 1);
}

TEST(Conveniences, KeysSaveOpenAndZoom)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    form.PageControl2->setCurrentIndex(1);

    QTest::keySequence(&form, QKeySequence::ZoomIn);
    EXPECT_EQ(form.ZoomEd->value(), 60);
    QTest::keySequence(&form, QKeySequence::ZoomOut);
    QTest::keySequence(&form, QKeySequence::ZoomOut);
    EXPECT_EQ(form.ZoomEd->value(), 40);

    // Saving asks for a name only when there is a document to save.
    QTest::keySequence(&form, QKeySequence::Save);
    EXPECT_EQ(windows.dialogs.saveDialogsShown, 0);
    EXPECT_EQ(windows.dialogs.messages.size(), 1u);
    form.openfilenow(QString::fromStdString(CopySample(folder, "s.pdf")));
    QTest::keySequence(&form, QKeySequence::Save);
    EXPECT_EQ(windows.dialogs.saveDialogsShown, 1);
    QTest::keySequence(&form, QKeySequence::Open);
    EXPECT_EQ(form.PageControl2->currentIndex(), 0);
}

TEST(Conveniences, CtrlQAsksTheQuitQuestion)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();

    windows.dialogs.confirmAnswer = false;
    QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(windows.dialogs.confirmations.size(), 1u);
    EXPECT_EQ(windows.dialogs.confirmations[0].text,
              QString::fromUtf8("Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!"));
    EXPECT_EQ(windows.dialogs.confirmations[0].caption, "Programm beenden");
    EXPECT_TRUE(form.isVisible());
    windows.dialogs.confirmAnswer = true;
    QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
}

TEST(Conveniences, AcceleratorsAreUniqueOnEachTabAndWork)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    // Hidden tabs' accelerators rest: the letters must differ among what one tab shows.
    for (int tab = 0; tab < form.PageControl2->count(); ++tab) {
        form.PageControl2->setCurrentIndex(tab);
        QStringList texts;
        for (int t = 0; t < form.PageControl2->count(); ++t) texts.append(form.PageControl2->tabText(t));
        for (const QAbstractButton* button : form.findChildren<QAbstractButton*>())
            if (button->isVisible()) texts.append(button->text());
        std::map<QKeySequence, QString> owners;
        for (const QString& text : texts) {
            const QKeySequence letter = QKeySequence::mnemonic(text);
            if (letter.isEmpty()) continue;
            EXPECT_TRUE(owners.emplace(letter, text).second) << tab << ": " << text.toStdString();
        }
    }
    const struct {
        Qt::Key key;
        int tab;
    } tabs[] = {{Qt::Key_B, 1}, {Qt::Key_I, 2}, {Qt::Key_S, 3}, {Qt::Key_Odiaeresis, 0}};
    for (const auto& t : tabs) {
        QTest::keyClick(&form, t.key, Qt::AltModifier);
        EXPECT_EQ(form.PageControl2->currentIndex(), t.tab) << t.key;
    }
    // A button's accelerator clicks it with a short visible press.
    QTest::keyClick(&form, Qt::Key_O, Qt::AltModifier);
    for (int wait = 0; wait < 50 && windows.dialogs.aboutShown == 0; ++wait) QTest::qWait(20);
    EXPECT_EQ(windows.dialogs.aboutShown, 1);
}

}  // namespace
}  // namespace folivo::test
