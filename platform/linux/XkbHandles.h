#pragma once

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>
#include <xkbcommon/xkbregistry.h>

#include <memory>

namespace plovik::xkb {

// Owning handles of libxkbcommon and libxkbregistry objects.
template <typename T, auto Release>
struct Releaser {
    void operator()(T* handle) const { Release(handle); }
};

using Context = std::unique_ptr<xkb_context, Releaser<xkb_context, xkb_context_unref>>;
using Keymap = std::unique_ptr<xkb_keymap, Releaser<xkb_keymap, xkb_keymap_unref>>;
using State = std::unique_ptr<xkb_state, Releaser<xkb_state, xkb_state_unref>>;
using ComposeTable =
    std::unique_ptr<xkb_compose_table, Releaser<xkb_compose_table, xkb_compose_table_unref>>;
using ComposeState =
    std::unique_ptr<xkb_compose_state, Releaser<xkb_compose_state, xkb_compose_state_unref>>;
using RegistryContext = std::unique_ptr<rxkb_context, Releaser<rxkb_context, rxkb_context_unref>>;

}  // namespace plovik::xkb
