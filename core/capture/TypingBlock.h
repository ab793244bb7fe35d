#pragma once

#include <algorithm>
#include <array>

#include "core/platform/Key.h"

namespace plovik {

// The keys text is typed on: letters, digits, punctuation, Return, Tab, Space, the
// grave key and the ISO key; keypad and editing keys are left out. The order is the
// preference among keys that type the same character (corrections retype words with
// the first key that types each character, so this order is part of their result).
struct TypingBlock {
    static constexpr std::array kKeys{
        Key::a,          Key::s,      Key::d,      Key::f,          Key::h,        Key::g,
        Key::z,          Key::x,      Key::c,      Key::v,          Key::iso102nd, Key::b,
        Key::q,          Key::w,      Key::e,      Key::r,          Key::y,        Key::t,
        Key::digit1,     Key::digit2, Key::digit3, Key::digit4,     Key::digit6,   Key::digit5,
        Key::equal,      Key::digit9, Key::digit7, Key::minus,      Key::digit8,   Key::digit0,
        Key::rightBrace, Key::o,      Key::u,      Key::leftBrace,  Key::i,        Key::p,
        Key::enter,      Key::l,      Key::j,      Key::apostrophe, Key::k,        Key::semicolon,
        Key::backslash,  Key::comma,  Key::slash,  Key::n,          Key::m,        Key::dot,
        Key::tab,        Key::space,  Key::grave,
    };

    static constexpr bool contains(Key key) {
        return std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end();
    }
};

}  // namespace plovik
