// A user-interface port for tests: records every message, memo line and label, and can ask
// for a cancel after a given number of message-loop turns.
#pragma once

#include <string>
#include <vector>

#include "core/UserInterfacePort.h"

namespace folivo::test {

class RecordingPort : public UserInterfacePort {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
    };

    std::vector<Message> messages;
    std::vector<std::string> memo;
    std::vector<std::string> labels;
    std::vector<int> progress;
    int progressWindowShown = 0;
    int progressWindowClosed = 0;
    int finishedPageCount = -1;
    int messageLoopTurns = 0;
    bool cancel = false;
    int cancelAfterTurns = -1;  // raise the cancel request at this turn of the message loop

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override
    {
        messages.push_back({text, caption, icon});
    }
    void ShowProgressWindow() override { ++progressWindowShown; }
    void CloseProgressWindow() override { ++progressWindowClosed; }
    void AddMemoLine(const std::string& line) override { memo.push_back(line); }
    void SetProgressLabel(const std::string& text) override { labels.push_back(text); }
    void SetProStatus(int percent) override { progress.push_back(percent); }
    void ProcessMessages() override
    {
        ++messageLoopTurns;
        if (messageLoopTurns == cancelAfterTurns) cancel = true;
    }
    bool CancelRequested() const override { return cancel; }
    void ClearCancelRequest() override { cancel = false; }
    void ReadingFinished(int pageCount) override { finishedPageCount = pageCount; }

    std::vector<std::string> MessageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : messages) texts.push_back(m.text);
        return texts;
    }
};

}  // namespace folivo::test
