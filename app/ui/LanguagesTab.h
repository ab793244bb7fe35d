#pragma once

#include <QVBoxLayout>
#include <QWidget>

#include "core/layouts/InputSourceService.h"

namespace plovik::ui {

// The layouts Plovik can correct between, the current input source and every enabled
// source; rebuilt whenever the input source service publishes.
class LanguagesTab : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kLayoutsExplanation =
        "Plovik uses the standard keyboard layouts enabled in your desktop's keyboard settings "
        "and chooses the most plausible conversion automatically. No language pair selection "
        "is required.";
    static constexpr const char* kTooFewLayoutsWarning =
        "Enable at least two standard keyboard layouts in your desktop's keyboard settings.";

    explicit LanguagesTab(InputSourceService& inputSources, QWidget* parent = nullptr);

    void refresh();

  private:
    QWidget* detectionSection();
    QWidget* currentSourceSection();
    QWidget* layoutsSection();
    QWidget* layoutRow(const InputSourceDescriptor& source);

    struct Shown {
        std::vector<InputSourceDescriptor> sources;
        std::optional<InputSourceDescriptor> current;
        std::optional<std::string> error;
        bool operator==(const Shown&) const = default;
    };

    InputSourceService& inputSources_;
    // What the tab shows, so that the permission poll does not rebuild it needlessly.
    std::optional<Shown> shown_;
    QWidget* content_ = nullptr;
    QVBoxLayout* column_ = nullptr;
};

}  // namespace plovik::ui
