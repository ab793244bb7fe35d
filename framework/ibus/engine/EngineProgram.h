#pragma once

#include <ibus.h>

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "framework/ibus/engine/GLibEngineTimers.h"
#include "framework/ibus/engine/PlovikConnection.h"
#include "framework/ibus/logic/EngineHub.h"

namespace plovik::ibus {

// The engine program as IBus starts it: serves the Plovik engines IBus asks for and
// listens for Plovik in the user's runtime folder, until IBus goes away.
class EngineProgram {
  public:
    static constexpr const char* kComponentName = "org.freedesktop.IBus.Plovik";

    // A readable reason when IBus or the socket cannot be reached.
    static std::variant<std::unique_ptr<EngineProgram>, std::string> start();
    ~EngineProgram();
    EngineProgram(const EngineProgram&) = delete;
    EngineProgram& operator=(const EngineProgram&) = delete;

    // Until IBus disconnects.
    void run();

  private:
    EngineProgram(IBusBus* bus, std::optional<EngineSocket> listener);
    static IBusEngine* createEngine(IBusFactory* factory, const gchar* name, gpointer data);
    static void onDisconnected(IBusBus*, gpointer data);

    IBusBus* bus_;
    GMainLoop* loop_;
    GLibEngineTimers timers_;
    PlovikConnection connection_;
    EngineHub hub_;
    IBusFactory* factory_ = nullptr;
    unsigned nextEngine_ = 1;
};

}  // namespace plovik::ibus
