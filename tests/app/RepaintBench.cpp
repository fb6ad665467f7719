// Times the window's repaints of a page already shown: the page asked for again (as the tool
// buttons, the font dialog and the protection ask), the paint box exposed after scrolling, and
// magnifier steps in and back out. Offscreen; prints benchmark lines for scripts/bench.
// Usage: folivo_repaint_bench FILE.pdf
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFont>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "app/MainUnit.h"
#include "app/PaintBox.h"
#include "app/UserDialogs.h"
#include "view/HeadlessQt.h"

namespace {

using folivo::app::TMainForm;

// Nobody answers: every question is declined and messages go to standard error.
class SilentDialogs : public folivo::app::UserDialogs {
public:
    void ShowMessage(QWidget*, const QString& text, const QString&, folivo::MessageIcon) override
    {
        std::fprintf(stderr, "repaint bench: %s\n", qUtf8Printable(text));
    }
    bool ConfirmOkCancel(QWidget*, const QString&, const QString&) override { return false; }
    bool ConfirmYesNo(QWidget*, const QString&, const QString&) override { return false; }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    bool OpenWithDesktop(const QString&) override { return false; }
    void ShowAbout(QWidget*) override {}
    bool ChooseFont(QWidget*, QFont&) override { return false; }
    std::optional<QString> AskPassword(QWidget*, const QString&, bool) override { return std::nullopt; }
};

// The page among the first fifty with the most text runs and neither pictures nor paths.
int TextPage(const folivo::PdfDocument& document)
{
    std::vector<uint32_t> texts(std::min<uint32_t>(document.pages.Count(), 50) + 1, 0);
    std::vector<bool> other(texts.size(), false);
    for (uint32_t i = 0; i < document.PageItemList.Count(); ++i) {
        const folivo::PageItem& item = *document.PageItemList.At(i);
        if (item.PageNumber == 0 || item.PageNumber >= texts.size()) continue;
        if (item.IsImage || item.IsPath) other[item.PageNumber] = true;
        else ++texts[item.PageNumber];
    }
    int best = 1;
    for (uint32_t page = 1; page < texts.size(); ++page)
        if (!other[page] && texts[page] > texts[best]) best = static_cast<int>(page);
    return best;
}

// The shortest of runs of step, in milliseconds: the least disturbed by other work on the machine.
double BestMs(int runs, const std::function<void()>& step)
{
    double best = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        const double ms = timer.nsecsElapsed() / 1e6;
        if (i == 0 || ms < best) best = ms;
    }
    return best;
}

void Line(const char* label, double ms) { std::printf("  %-30s %10.2f ms\n", label, ms); }

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: folivo_repaint_bench FILE.pdf\n");
        return 1;
    }
    folivo::PrepareHeadlessQtEnvironment();
    // The offscreen platform's notes on window hints are no benchmark lines.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication application(argc, argv);
    QTemporaryDir programFolder;
    SilentDialogs dialogs;
    TMainForm form(&dialogs, programFolder.path());
    form.resize(1280, 1000);
    form.show();
    form.openfilenow(QString::fromLocal8Bit(argv[1]));
    QCoreApplication::processEvents();
    if (!form.DocumentOpen()) {
        std::fprintf(stderr, "repaint bench: %s could not be opened\n", argv[1]);
        return 2;
    }
    const int page = TextPage(form.document());
    form.ZoomEd->setValue(100);
    form.PageEd->setValue(page);
    QCoreApplication::processEvents();
    std::printf("bench: repainting page %d (text) of %s at zoom 100, window 1280x1000, best of 20\n", page,
                qUtf8Printable(QFileInfo(QString::fromLocal8Bit(argv[1])).fileName()));

    Line("page asked for again", BestMs(20, [&] {
             form.PaintBox1Paint();
             form.PaintBox1->repaint();
         }));
    QScrollBar* bar = form.ScrollBox1->verticalScrollBar();
    Line("scrolled and exposed", BestMs(20, [&] {
             bar->setValue(bar->value() == 0 ? bar->maximum() / 2 : 0);
             form.ScrollBox1->viewport()->repaint();
         }));
    // In at the middle of the view and back out: the page at 150 and again at 100.
    QWidget* viewport = form.ScrollBox1->viewport();
    const auto magnify = [&](Qt::MouseButton button) {
        const QPoint at = form.PaintBox1->mapFrom(viewport, viewport->rect().center());
        form.PaintBox1MouseDown(button, at.x(), at.y());
        viewport->repaint();
    };
    magnify(Qt::LeftButton);
    magnify(Qt::RightButton);
    Line("magnifier in and out, per step", BestMs(20, [&] {
                                               magnify(Qt::LeftButton);
                                               magnify(Qt::RightButton);
                                           }) / 2);
    return form.ZoomEd->value() == 100 ? 0 : 1;
}
