#include "platform/gnome/IbusDaemonRegistry.h"

#include <ibus.h>

#include <filesystem>
#include <thread>

namespace plovik {

namespace {

constexpr std::chrono::milliseconds kPollInterval{100};

class Bus {
  public:
    Bus() {
        ibus_init();
        bus_ = ibus_bus_new();
    }
    ~Bus() { g_object_unref(bus_); }
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    bool isConnected() const { return ibus_bus_is_connected(bus_); }
    IBusBus* get() const { return bus_; }

  private:
    IBusBus* bus_;
};

}  // namespace

std::optional<bool> IbusDaemonRegistry::knows(const std::vector<std::string>& names) {
    const Bus bus;
    if (!bus.isConnected()) {
        return std::nullopt;
    }
    std::vector<const gchar*> list;
    for (const auto& name : names) {
        list.push_back(name.c_str());
    }
    list.push_back(nullptr);
    IBusEngineDesc** found = ibus_bus_get_engines_by_names(bus.get(), list.data());
    std::size_t count = 0;
    for (IBusEngineDesc** desc = found; desc && *desc; ++desc) {
        ++count;
        g_object_unref(*desc);
    }
    g_free(found);
    return count == names.size();
}

bool IbusDaemonRegistry::reload(const std::vector<std::string>& names,
                                std::chrono::milliseconds timeout) {
    std::error_code ignored;
    std::filesystem::remove(
        std::filesystem::path(g_get_user_cache_dir()) / "ibus" / "bus" / "registry", ignored);
    {
        const Bus bus;
        if (!bus.isConnected()) {
            return false;
        }
        ibus_bus_exit(bus.get(), TRUE);
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPollInterval);
        if (knows(names) == true) {
            return true;
        }
    }
    return false;
}

}  // namespace plovik
