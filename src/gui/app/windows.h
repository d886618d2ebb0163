#pragma once
// The program's windows: the main window and the two editor windows created hidden beside it.
#include "gui/app/main_form.h"
#include "gui/hacks/hacks_window.h"
#include "gui/texts/text_editor_window.h"

#include <memory>

namespace quorvex {

struct Windows {
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TObjForm> hacks;
    std::unique_ptr<TTextForm> texts;
};

// Creates the three windows in the program's order; the editor windows stay hidden.
Windows createWindows(AppServices services);

// The real services: dialogs, shell, clock, settings store, folders.
bool isWindows51();

} // namespace quorvex
