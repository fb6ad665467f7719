// A user-interface port that shows nothing: for readings nobody watches (a look at a file before
// it is read, the fuzz targets), and the base of the command line's port.
#pragma once

#include <string>

#include "core/UserInterfacePort.h"

namespace folivo {

class SilentPort : public UserInterfacePort {
public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
    void ShowProgressWindow() override {}
    void CloseProgressWindow() override {}
    void AddMemoLine(const std::string&) override {}
    void SetProgressLabel(const std::string&) override {}
    void SetProStatus(int) override {}
    void ProcessMessages() override {}
    bool CancelRequested() const override { return false; }
    void ClearCancelRequest() override {}
    void ReadingFinished(int) override {}
};

}  // namespace folivo
