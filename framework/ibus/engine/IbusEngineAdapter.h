#pragma once

#include <ibus.h>

#include <memory>

#include "framework/ibus/logic/EngineHub.h"
#include "framework/ibus/logic/FieldClient.h"

namespace plovik::ibus {

// One IBus engine object of the program: IBus's signals go to a field session, the
// session's edits go back through the engine. Lives until IBus destroys the engine.
class IbusEngineAdapter final : public FieldClient {
  public:
    // Takes a reference to `engine`; deletes itself when the engine is destroyed.
    static void attach(IBusEngine* engine, EngineHub& hub);

    void deleteBeforeCursor(std::size_t count) override;
    void commit(const std::string& text) override;
    void forward(const KeyStroke& stroke) override;

  private:
    IbusEngineAdapter(IBusEngine* engine, EngineHub& hub);
    ~IbusEngineAdapter() override;

    void connectSignals();
    void requestSurroundingText();

    static gboolean onKey(IBusEngine*, guint keyval, guint keycode, guint state, gpointer data);
    static void onFocusIn(IBusEngine*, gpointer data);
    static void onFocusInId(IBusEngine*, const gchar* path, const gchar* client, gpointer data);
    static void onFocusOut(IBusEngine*, gpointer data);
    static void onFocusOutId(IBusEngine*, const gchar* path, gpointer data);
    static void onCapabilities(IBusEngine*, guint capabilities, gpointer data);
    static void onContentType(IBusEngine*, guint purpose, guint hints, gpointer data);
    static void onSurroundingText(IBusEngine*, IBusText* text, guint cursor, guint anchor,
                                  gpointer data);
    static void onReset(IBusEngine*, gpointer data);
    static void onDestroy(IBusEngine*, gpointer data);

    IBusEngine* engine_;
    EngineHub& hub_;
    std::unique_ptr<FieldSession> session_;
};

}  // namespace plovik::ibus
