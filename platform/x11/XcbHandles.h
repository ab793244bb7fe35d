#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace plovik::xcb {

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
struct FreeMemory {
    void operator()(void* memory) const { std::free(memory); }
};

using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;
// Replies, errors and events: XCB hands them out malloc'ed.
template <typename T>
using Reply = std::unique_ptr<T, FreeMemory>;

template <typename T>
Reply<T> owned(T* reply) {
    return Reply<T>(reply);
}

}  // namespace plovik::xcb
