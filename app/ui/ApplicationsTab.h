#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/ui/UiContext.h"

class QListWidget;
class QStackedWidget;
class QToolButton;

namespace plovik::ui {

class ApplicationDetailView;

// The applications Plovik works in: the list with add and remove on the left, the
// selected application's switches on the right.
class ApplicationsTab : public QWidget {
    Q_OBJECT
  public:
    // Returns the entry to add, or nothing when the user cancelled.
    using Chooser = std::function<std::optional<EnabledApplication>()>;

    explicit ApplicationsTab(UiContext& context, QWidget* parent = nullptr);

    void refresh();
    // Replaces the searchable list of installed applications (tests answer directly).
    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    void addApplication();
    void removeSelectedApplication();
    void select(const std::optional<std::string>& bundleIdentifier);

    const std::optional<std::string>& selectedBundleIdentifier() const { return selected_; }
    QListWidget* list() { return list_; }
    QToolButton* addButton() { return add_; }
    QToolButton* removeButton() { return remove_; }
    ApplicationDetailView* detail() { return detail_; }
    // The placeholder is shown while nothing is selected.
    bool showsPlaceholder() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* placeholder();
    void rebuildList();
    void showSelection();
    std::optional<EnabledApplication> chooseInstalledApplication();

    UiContext& context_;
    Chooser chooser_;
    std::optional<std::string> selected_;
    std::vector<EnabledApplication> listed_;
    QListWidget* list_ = nullptr;
    QToolButton* add_ = nullptr;
    QToolButton* remove_ = nullptr;
    QStackedWidget* right_ = nullptr;
    ApplicationDetailView* detail_ = nullptr;
};

}  // namespace plovik::ui
