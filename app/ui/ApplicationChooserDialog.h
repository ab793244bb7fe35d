#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "core/settings/EnabledApplication.h"

class QLineEdit;
class QListWidget;

namespace plovik::ui {

// A searchable list of the installed applications; the chosen one comes back as the
// settings entry to add.
class ApplicationChooserDialog : public QDialog {
    Q_OBJECT
  public:
    ApplicationChooserDialog(std::vector<EnabledApplication> applications,
                             QWidget* parent = nullptr);

    std::optional<EnabledApplication> chosenApplication() const;
    QLineEdit* searchField() { return search_; }
    QListWidget* list() { return list_; }

  private:
    void filter(const QString& text);

    std::vector<EnabledApplication> applications_;
    QLineEdit* search_ = nullptr;
    QListWidget* list_ = nullptr;
};

}  // namespace plovik::ui
