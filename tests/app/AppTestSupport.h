// The windows as the program creates them, in a scratch program folder, with dialogs that the
// test answers.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QFont>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTreeView>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AddTextForm.h"
#include "app/MainUnit.h"
#include "app/OpenPDFForm.h"
#include "app/UserDialogs.h"
#include "tests/ScratchFolder.h"

namespace folivo::test {

class FakeDialogs : public app::UserDialogs {
public:
    struct Message {
        QString text;
        QString caption;
        MessageIcon icon;
    };
    std::vector<Message> messages;
    std::vector<Message> confirmations;
    bool confirmAnswer = true;
    QString saveAnswer;
    QStringList opened;
    int aboutShown = 0;

    void ShowMessage(QWidget*, const QString& text, const QString& caption, MessageIcon icon) override
    {
        messages.push_back({text, caption, icon});
    }
    bool ConfirmOkCancel(QWidget*, const QString& text, const QString& caption) override
    {
        confirmations.push_back({text, caption, MessageIcon::Information});
        return confirmAnswer;
    }
    // Recorded with the OK / Cancel questions, told apart by the question icon.
    bool ConfirmYesNo(QWidget*, const QString& text, const QString& caption) override
    {
        confirmations.push_back({text, caption, MessageIcon::Question});
        return confirmAnswer;
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString& folder) override
    {
        ++saveDialogsShown;
        saveFolder = folder;
        return saveAnswer;
    }
    int saveDialogsShown = 0;
    // The folder the last save dialog opened in.
    QString saveFolder;
    // Whether the desktop manages to open a file.
    bool desktopOpens = true;
    bool OpenWithDesktop(const QString& path) override
    {
        opened.append(path);
        return desktopOpens;
    }
    void ShowAbout(QWidget*) override { ++aboutShown; }
    // Confirms with fontAnswer when set, else cancels.
    bool ChooseFont(QWidget*, QFont& font) override
    {
        ++fontDialogsShown;
        if (!fontAnswer) return false;
        font = *fontAnswer;
        return true;
    }
    std::optional<QFont> fontAnswer;
    int fontDialogsShown = 0;

    struct PasswordQuestion {
        QString fileName;
        bool again;
    };
    std::vector<PasswordQuestion> passwordQuestions;
    // Answered in turn; once they run out, the question is cancelled.
    std::deque<QString> passwordAnswers;
    std::optional<QString> AskPassword(QWidget*, const QString& fileName, bool again) override
    {
        passwordQuestions.push_back({fileName, again});
        if (passwordAnswers.empty()) return std::nullopt;
        QString answer = passwordAnswers.front();
        passwordAnswers.pop_front();
        return answer;
    }
};

struct Windows {
    explicit Windows(const std::string& programFolder)
        : main(&dialogs, QString::fromStdString(programFolder))
    {
        openForm = new app::TOpenPDFForm(&main);
        addTextForm = new app::TAddTextForm(main.document().addTextSettings, &main);
        main.AttachForms(openForm, addTextForm);
    }

    FakeDialogs dialogs;
    app::TMainForm main;
    app::TOpenPDFForm* openForm;
    app::TAddTextForm* addTextForm;
};

// The sample document of the repository (two pages), copied into folder.
std::string CopySample(const ScratchFolder& folder, const std::string& name);

// A one-page document whose information has a title and no dates, written into folder.
std::string WriteUndatedPdf(const ScratchFolder& folder, const std::string& name);

}  // namespace folivo::test
