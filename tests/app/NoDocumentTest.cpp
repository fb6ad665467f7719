// What the window asks of a document is refused in German while none is open: before a file
// was read, and after a file that is no PDF.
#include <QPushButton>
#include <functional>

#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

TEST(NoDocument, ProtectingAndSavingAreRefusedWithOneMessage)
{
    struct Action {
        const char* name;
        std::function<void(app::TMainForm&)> run;
    };
    const std::vector<Action> actions = {
        {"Dateischutz", [](app::TMainForm& form) { form.FileProtectBtn->click(); }},
        {"Speichern", [](app::TMainForm& form) { form.SaveBtn->click(); }},
    };
    for (const bool brokenFileRead : {false, true}) {
        for (const Action& action : actions) {
            ScratchFolder folder;
            Windows windows(folder.File(""));
            if (brokenFileRead) {
                windows.main.openfilenow(QString::fromStdString(folder.Write("kaputt.pdf", "no pdf here")));
                windows.dialogs.messages.clear();
            }
            windows.dialogs.saveAnswer = QString::fromStdString(folder.File("neu.pdf"));
            action.run(windows.main);
            const std::string what = std::string(action.name) + (brokenFileRead ? " nach kaputter Datei" : "");
            ASSERT_EQ(windows.dialogs.messages.size(), 1u) << what;
            EXPECT_EQ(windows.dialogs.messages[0].text, QString::fromUtf8("Es ist keine PDF-Datei geöffnet.")) << what;
            EXPECT_EQ(windows.dialogs.saveDialogsShown, 0) << what;
            EXPECT_EQ(windows.main.document().fonts.Count(), 0u) << what;
            EXPECT_TRUE(windows.dialogs.opened.isEmpty()) << what;
        }
    }
}

}  // namespace
}  // namespace folivo::test
