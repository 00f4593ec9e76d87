#pragma once

// A main frame as start-up makes it, on fakes, for the translation tests.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTranslator>

#include "../frame/frame_test_util.h"
#include "app/main_frame.h"

namespace tavimo {

// The frame as start-up makes it, on fakes.
struct TestFrame : frame_test::TestFrame {
    TestFrame() { Start(); }
};

// The translators installed on the application go (they are its children).
inline void RemoveTranslators() {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>())
        delete translator;
}

}  // namespace tavimo
