// What the UI-free document code needs from a user interface: message boxes, the reading
// progress window (memo, label, shown or closed), the one progress percentage, a turn of the
// message loop, the cancel request and a password.
#pragma once

#include <string>

namespace folivo {

inline constexpr const char* ApplicationTitle = "Folivo";

enum class MessageIcon { Error, Warning, Information, Question };

enum class PasswordAnswer { Entered, Cancelled, CannotAsk };

class UserInterfacePort {
public:
    virtual ~UserInterfacePort() = default;

    // Texts are UTF-8.
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;

    virtual void ShowProgressWindow() = 0;
    virtual void CloseProgressWindow() = 0;
    virtual void AddMemoLine(const std::string& line) = 0;
    virtual void SetProgressLabel(const std::string& text) = 0;
    virtual void SetProStatus(int percent) = 0;

    // Lets pending user-interface events run once (repainting, the cancel button).
    virtual void ProcessMessages() = 0;

    virtual bool CancelRequested() const = 0;
    virtual void ClearCancelRequest() = 0;

    // The end of every reading, successful or not: the page label shows pageCount, the page box
    // shows 1 and the editing tab comes to the front.
    virtual void ReadingFinished(int pageCount) = 0;

    // Asks for the password that opens the file `fileName` into `password` (UTF-8); `again`:
    // the password entered before was wrong. A port without a way to ask says so.
    virtual PasswordAnswer AskPassword(const std::string& fileName, bool again, std::string& password)
    {
        (void)fileName, (void)again, (void)password;
        return PasswordAnswer::CannotAsk;
    }
};

}  // namespace folivo
