#pragma once

#include <memory>

#include "platform/dialogs.h"

class QWidget;

namespace tavimo::platform {

// Dialogs shown with Qt, modal to `parent` (may be null; not owned, must outlive the result).
// UI thread.
std::unique_ptr<Dialogs> MakeQtDialogs(QWidget* parent);

}  // namespace tavimo::platform
