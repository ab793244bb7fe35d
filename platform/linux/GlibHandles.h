#pragma once

#include <glib-object.h>
#include <glib.h>

#include <memory>
#include <string>

namespace plovik::glib {

// Owning handles of GLib and GObject values.
struct ObjectReleaser {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using Object = std::unique_ptr<T, ObjectReleaser>;

struct ErrorReleaser {
    void operator()(GError* error) const { g_error_free(error); }
};
using Error = std::unique_ptr<GError, ErrorReleaser>;

struct FreeReleaser {
    void operator()(gpointer memory) const { g_free(memory); }
};
using String = std::unique_ptr<gchar, FreeReleaser>;

struct KeyFileReleaser {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileReleaser>;

struct StringListReleaser {
    void operator()(gchar** list) const { g_strfreev(list); }
};
using StringList = std::unique_ptr<gchar*, StringListReleaser>;

struct VariantReleaser {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using Variant = std::unique_ptr<GVariant, VariantReleaser>;

// The error's message, or `fallback` when there is none.
inline std::string messageOf(const GError* error, const std::string& fallback) {
    return error != nullptr && error->message != nullptr ? std::string(error->message) : fallback;
}

}  // namespace plovik::glib
