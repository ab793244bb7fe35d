#pragma once

#include <QWidget>
#include <array>

#include "app/ui/ShortcutRecorderButton.h"
#include "app/ui/UiContext.h"

class QLabel;
class QPushButton;

namespace plovik::ui {

// The four global shortcuts, each with its recorder and a warning when another
// program already holds the combination.
class ShortcutsTab : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kExplanation =
        "Click a shortcut control, then press a key together with Super, Alt, Control, or "
        "Shift. Manual correction changes only the current or last typed word, never the whole "
        "phrase, and remains limited to enabled apps. Convert selection turns the selected text, "
        "or the phrase just typed, into the other keyboard layout.";

    enum Row { manualRow, undoRow, pauseRow, convertRow, rowCount };

    explicit ShortcutsTab(UiContext& context, QWidget* parent = nullptr);

    void refresh();
    ShortcutRecorderButton* recorder(Row row) { return rows_[row].recorder; }
    QLabel* conflictLabel(Row row) { return rows_[row].conflictText; }
    // Shown where the desktop itself takes the shortcut in a binding it can give up.
    QPushButton* freeButton(Row row) { return rows_[row].free; }

  protected:
    // Another program may have taken a combination meanwhile: probe again when shown.
    void showEvent(QShowEvent* event) override;

  private:
    void freeForPlovik(Row row);
    struct RowWidgets {
        ShortcutRecorderButton* recorder = nullptr;
        QWidget* conflict = nullptr;
        QLabel* conflictText = nullptr;
        QPushButton* free = nullptr;
        // The probe asks the display server, so it runs only when the shortcut changes.
        std::optional<ShortcutDefinition> probed;
        std::optional<std::string> conflictDescription;
    };

    static ShortcutDefinition& field(AppSettings& settings, Row row);
    static const ShortcutDefinition& field(const AppSettings& settings, Row row);

    UiContext& context_;
    std::array<RowWidgets, rowCount> rows_;
};

}  // namespace plovik::ui
