#pragma once

#include <glib-object.h>

#include <memory>
#include <string>
#include <utility>

namespace plovik {

// A counted reference to a GObject: copying takes a reference, destruction drops it.
template <typename T>
class GObjectRef {
  public:
    GObjectRef() = default;
    // Takes over a reference the caller owns (a "transfer full" return value).
    static GObjectRef adopt(T* object) { return GObjectRef(object); }
    // Takes a reference of its own to an object someone else owns.
    static GObjectRef retain(T* object) {
        return GObjectRef(object ? static_cast<T*>(g_object_ref(object)) : nullptr);
    }

    GObjectRef(const GObjectRef& other) : object_(other.object_) {
        if (object_) {
            g_object_ref(object_);
        }
    }
    GObjectRef(GObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectRef& operator=(GObjectRef other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~GObjectRef() {
        if (object_) {
            g_object_unref(object_);
        }
    }

    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    explicit GObjectRef(T* object) : object_(object) {}

    T* object_ = nullptr;
};

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

// A string the callee allocated with g_malloc, copied out and freed.
inline std::string takeString(gchar* text) {
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

}  // namespace plovik
