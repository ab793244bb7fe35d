#include "framework/ibus/engine/GLibEngineTimers.h"

#include <utility>

namespace plovik::ibus {

namespace {

class GLibTimer final : public EngineTimer {
  public:
    GLibTimer(GMainContext* context, std::chrono::milliseconds delay,
              std::function<void()> callback)
        : callback_(std::move(callback)),
          source_(g_timeout_source_new(static_cast<guint>(delay.count()))) {
        g_source_set_callback(source_, fire, this, nullptr);
        g_source_attach(source_, context);
    }
    ~GLibTimer() override {
        if (!g_source_is_destroyed(source_)) {
            g_source_destroy(source_);
        }
        g_source_unref(source_);
    }
    GLibTimer(const GLibTimer&) = delete;
    GLibTimer& operator=(const GLibTimer&) = delete;

  private:
    static gboolean fire(gpointer data) {
        auto* timer = static_cast<GLibTimer*>(data);
        // The callback may destroy this timer: it runs from a copy of its own.
        const auto callback = std::exchange(timer->callback_, {});
        if (callback) {
            callback();
        }
        return G_SOURCE_REMOVE;
    }

    std::function<void()> callback_;
    GSource* source_;
};

}  // namespace

std::unique_ptr<EngineTimer> GLibEngineTimers::after(std::chrono::milliseconds delay,
                                                     std::function<void()> callback) {
    return std::make_unique<GLibTimer>(context_, delay, std::move(callback));
}

}  // namespace plovik::ibus
