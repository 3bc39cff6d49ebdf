#pragma once

#include "MemorySkinChoiceStore.h"
#include "Recorders.h"
#include "RecordingPrompter.h"
#include "RecordingSkinLibrary.h"

#include "window/Form1Controllers.h"

// The stand-ins for what the desktop gives Form1Controllers, but the browser: message
// boxes and the Save As dialog answered by the test, links and skins recorded.
struct StandInServices {
    trovix::Form1Services services(
        trovix::Browser& browser, QWidget* browserView, trovix::Clock::TimeSource now,
        const trovix::ProgramFolder& programFolder, std::function<void()> endProgram = [] {})
    {
        return {browser,       browserView,          prompter, chooser, skins, skinChoice, std::move(now),
                programFolder, std::move(endProgram)};
    }

    RecordingPrompter prompter;
    ScriptedSaveFileChooser chooser;
    RecordingUrlOpener opener;
    RecordingSkinLibrary skins;
    MemorySkinChoiceStore skinChoice;
};
