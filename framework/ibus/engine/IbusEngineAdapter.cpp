#include "framework/ibus/engine/IbusEngineAdapter.h"

#include <string>

namespace plovik::ibus {

void IbusEngineAdapter::attach(IBusEngine* engine, EngineHub& hub) {
    // Owned by the engine's lifetime: deleted in onDestroy.
    new IbusEngineAdapter(engine, hub);
}

IbusEngineAdapter::IbusEngineAdapter(IBusEngine* engine, EngineHub& hub)
    : engine_(IBUS_ENGINE(g_object_ref(engine))),
      hub_(hub),
      session_(hub.open(ibus_engine_get_name(engine), *this)) {
    connectSignals();
}

IbusEngineAdapter::~IbusEngineAdapter() {
    g_signal_handlers_disconnect_by_data(engine_, this);
    // The session hands on what it held while the engine can still do so.
    session_.reset();
    g_object_unref(engine_);
}

void IbusEngineAdapter::connectSignals() {
    g_signal_connect(engine_, "process-key-event", G_CALLBACK(onKey), this);
    g_signal_connect(engine_, "focus-in", G_CALLBACK(onFocusIn), this);
    g_signal_connect(engine_, "focus-in-id", G_CALLBACK(onFocusInId), this);
    g_signal_connect(engine_, "focus-out", G_CALLBACK(onFocusOut), this);
    g_signal_connect(engine_, "focus-out-id", G_CALLBACK(onFocusOutId), this);
    g_signal_connect(engine_, "disable", G_CALLBACK(onFocusOut), this);
    g_signal_connect(engine_, "set-capabilities", G_CALLBACK(onCapabilities), this);
    g_signal_connect(engine_, "set-content-type", G_CALLBACK(onContentType), this);
    g_signal_connect(engine_, "set-surrounding-text", G_CALLBACK(onSurroundingText), this);
    g_signal_connect(engine_, "reset", G_CALLBACK(onReset), this);
    g_signal_connect(engine_, "destroy", G_CALLBACK(onDestroy), this);
}

void IbusEngineAdapter::requestSurroundingText() {
    // Asking once makes the client send its text with every change from then on.
    ibus_engine_get_surrounding_text(engine_, nullptr, nullptr, nullptr);
}

gboolean IbusEngineAdapter::onKey(IBusEngine*, guint keyval, guint keycode, guint state,
                                  gpointer data) {
    auto* self = static_cast<IbusEngineAdapter*>(data);
    return self->session_->processKey({keyval, keycode, state}) ? TRUE : FALSE;
}

void IbusEngineAdapter::onFocusIn(IBusEngine*, gpointer data) {
    auto* self = static_cast<IbusEngineAdapter*>(data);
    self->hub_.focusIn(*self->session_, {}, {});
    self->requestSurroundingText();
}

void IbusEngineAdapter::onFocusInId(IBusEngine*, const gchar* path, const gchar* client,
                                    gpointer data) {
    auto* self = static_cast<IbusEngineAdapter*>(data);
    self->hub_.focusIn(*self->session_, path ? path : "", client ? client : "");
    self->requestSurroundingText();
}

void IbusEngineAdapter::onFocusOut(IBusEngine*, gpointer data) {
    auto* self = static_cast<IbusEngineAdapter*>(data);
    if (self->session_->isFocused()) {
        self->hub_.focusOut(*self->session_);
    }
}

void IbusEngineAdapter::onFocusOutId(IBusEngine* engine, const gchar*, gpointer data) {
    onFocusOut(engine, data);
}

void IbusEngineAdapter::onCapabilities(IBusEngine*, guint capabilities, gpointer data) {
    static_cast<IbusEngineAdapter*>(data)->session_->setSurroundingTextCapability(
        (capabilities & IBUS_CAP_SURROUNDING_TEXT) != 0);
}

void IbusEngineAdapter::onContentType(IBusEngine*, guint purpose, guint hints, gpointer data) {
    static_cast<IbusEngineAdapter*>(data)->session_->setContentType(purpose, hints);
}

void IbusEngineAdapter::onSurroundingText(IBusEngine*, IBusText* text, guint cursor, guint anchor,
                                          gpointer data) {
    const gchar* characters = text ? ibus_text_get_text(text) : nullptr;
    static_cast<IbusEngineAdapter*>(data)->session_->setSurroundingText(
        characters ? characters : "", cursor, anchor);
}

void IbusEngineAdapter::onReset(IBusEngine*, gpointer data) {
    static_cast<IbusEngineAdapter*>(data)->session_->reset();
}

void IbusEngineAdapter::onDestroy(IBusEngine*, gpointer data) {
    delete static_cast<IbusEngineAdapter*>(data);
}

void IbusEngineAdapter::deleteBeforeCursor(std::size_t count) {
    const auto units = static_cast<guint>(count);
    ibus_engine_delete_surrounding_text(engine_, -static_cast<gint>(units), units);
}

void IbusEngineAdapter::commit(const std::string& text) {
    ibus_engine_commit_text(engine_, ibus_text_new_from_string(text.c_str()));
}

void IbusEngineAdapter::forward(const KeyStroke& stroke) {
    ibus_engine_forward_key_event(engine_, stroke.keyval, stroke.keycode, stroke.state);
}

}  // namespace plovik::ibus
