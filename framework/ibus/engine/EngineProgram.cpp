#include "framework/ibus/engine/EngineProgram.h"

#include <cstdlib>

#include "framework/ibus/engine/IbusEngineAdapter.h"
#include "framework/ibus/wire/EngineName.h"

namespace plovik::ibus {

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

std::variant<std::unique_ptr<EngineProgram>, std::string> EngineProgram::start() {
    // Without a place to meet Plovik the engines still serve: every key passes.
    std::optional<EngineSocket> listener;
    if (const auto path = EngineSocket::defaultPath(environment); !path) {
        g_warning("XDG_RUNTIME_DIR is not set: Plovik cannot connect");
    } else if (auto opened = EngineSocket::listen(*path);
               auto* error = std::get_if<std::string>(&opened)) {
        g_warning("%s: Plovik cannot connect", error->c_str());
    } else {
        listener = std::move(std::get<EngineSocket>(opened));
    }
    ibus_init();
    IBusBus* bus = ibus_bus_new();
    if (!ibus_bus_is_connected(bus)) {
        g_object_unref(bus);
        return std::string("cannot connect to IBus");
    }
    return std::unique_ptr<EngineProgram>(new EngineProgram(bus, std::move(listener)));
}

EngineProgram::EngineProgram(IBusBus* bus, std::optional<EngineSocket> listener)
    : bus_(bus),
      loop_(g_main_loop_new(nullptr, FALSE)),
      connection_(std::move(listener), PlovikConnection::Budgets{PlovikConnection::answerBudget(
                                           std::getenv("PLOVIK_IBUS_ANSWER_MS"))}),
      hub_(connection_, timers_) {
    connection_.attach(hub_);
    g_signal_connect(bus_, "disconnected", G_CALLBACK(onDisconnected), this);
    factory_ = ibus_factory_new(ibus_bus_get_connection(bus_));
    g_signal_connect(factory_, "create-engine", G_CALLBACK(createEngine), this);
    ibus_bus_request_name(bus_, kComponentName, 0);
}

EngineProgram::~EngineProgram() {
    // Engines (and what their sessions hold) go while the hub is still there.
    ibus_object_destroy(IBUS_OBJECT(factory_));
    g_signal_handlers_disconnect_by_data(bus_, this);
    g_object_unref(bus_);
    g_main_loop_unref(loop_);
}

void EngineProgram::run() {
    g_main_loop_run(loop_);
}

void EngineProgram::onDisconnected(IBusBus*, gpointer data) {
    g_main_loop_quit(static_cast<EngineProgram*>(data)->loop_);
}

IBusEngine* EngineProgram::createEngine(IBusFactory*, const gchar* name, gpointer data) {
    auto* program = static_cast<EngineProgram*>(data);
    if (!name || !EngineName::parse(name)) {
        return nullptr;
    }
    const std::string path =
        "/org/freedesktop/IBus/Engine/Plovik/" + std::to_string(program->nextEngine_++);
    // Asking for focus ids tells each engine which input context, and which kind of
    // client, it serves.
    auto* engine = IBUS_ENGINE(g_object_new(
        IBUS_TYPE_ENGINE, "engine-name", name, "object-path", path.c_str(), "connection",
        ibus_bus_get_connection(program->bus_), "has-focus-id", TRUE, nullptr));
    IbusEngineAdapter::attach(engine, program->hub_);
    return engine;
}

}  // namespace plovik::ibus
