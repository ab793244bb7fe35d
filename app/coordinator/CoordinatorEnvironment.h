#pragma once

#include "core/platform/Accessibility.h"
#include "core/platform/ActiveApplication.h"
#include "core/platform/ApplicationCatalog.h"
#include "core/platform/Clock.h"
#include "core/platform/KeyCapture.h"
#include "core/platform/KeyInjector.h"
#include "core/platform/KeyboardAccess.h"
#include "core/platform/KeyboardHold.h"
#include "core/platform/LayoutSource.h"
#include "core/platform/MainQueue.h"
#include "core/platform/ShortcutProbe.h"
#include "core/platform/SpellChecker.h"
#include "core/platform/SystemServices.h"
#include "core/platform/UserDataFolder.h"

namespace plovik {

// The desktop as the coordinator reaches it: one backend per port, chosen by the
// program at start-up. Every backend must outlive the coordinator.
struct CoordinatorEnvironment {
    KeyCaptureFactory& tapFactory;
    MainQueue& mainQueue;
    const Clock& clock;
    Accessibility& accessibility;
    KeyInjector& eventPoster;
    // Holds the user's keys back while Plovik edits.
    KeyboardHolder& keyboardHolder;
    ActiveApplication& workspace;
    KeyboardAccess& inputMonitoring;
    // The enabled input sources, with each layout's key map.
    LayoutSource& inputSources;
    SpellChecker& spellChecker;
    const UserDataFolder& applicationSupportDirectory;
    SystemServices& systemServices;
    ApplicationCatalog& applicationCatalog;
    ShortcutProbe& shortcutProbe;
};

}  // namespace plovik
