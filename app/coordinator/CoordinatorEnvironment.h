#pragma once

#include "core/platform/Accessibility.h"
#include "core/platform/ApplicationCatalog.h"
#include "core/platform/ApplicationSupportDirectory.h"
#include "core/platform/Clock.h"
#include "core/platform/EventPoster.h"
#include "core/platform/InputMonitoringAccess.h"
#include "core/platform/InputSourcePlatform.h"
#include "core/platform/KeyEventTap.h"
#include "core/platform/KeyboardHold.h"
#include "core/platform/MainQueue.h"
#include "core/platform/ShortcutProbe.h"
#include "core/platform/SpellChecker.h"
#include "core/platform/SystemServices.h"
#include "core/platform/Workspace.h"

namespace plovik {

// The desktop as the coordinator reaches it: one backend per port, chosen by the
// program at start-up. Every backend must outlive the coordinator.
struct CoordinatorEnvironment {
    KeyEventTapFactory& tapFactory;
    MainQueue& mainQueue;
    const Clock& clock;
    Accessibility& accessibility;
    EventPoster& eventPoster;
    // Holds the user's keys back while Plovik edits.
    KeyboardHolder& keyboardHolder;
    Workspace& workspace;
    InputMonitoringAccess& inputMonitoring;
    // The enabled input sources, with each layout's key map.
    InputSourcePlatform& inputSources;
    SpellChecker& spellChecker;
    const ApplicationSupportDirectory& applicationSupportDirectory;
    SystemServices& systemServices;
    ApplicationCatalog& applicationCatalog;
    ShortcutProbe& shortcutProbe;
};

}  // namespace plovik
