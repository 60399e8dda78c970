#include "model/dialog_host.h"

namespace voltaris {

namespace {
IDialogHost* installedHost = nullptr;
}

IDialogHost* DialogHost() { return installedHost; }
void SetDialogHost(IDialogHost* host) { installedHost = host; }

}  // namespace voltaris
