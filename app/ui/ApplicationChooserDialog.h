#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "core/platform/ApplicationCatalog.h"

class QLineEdit;
class QListWidget;

namespace plovik::ui {

// A searchable list of the installed applications, named as the desktop's menus name them.
class ApplicationChooserDialog : public QDialog {
    Q_OBJECT
  public:
    ApplicationChooserDialog(std::vector<InstalledApplication> applications,
                             QWidget* parent = nullptr);

    std::optional<InstalledApplication> chosenApplication() const;
    QLineEdit* searchField() { return search_; }
    QListWidget* list() { return list_; }

  private:
    void filter(const QString& text);

    std::vector<InstalledApplication> applications_;
    QLineEdit* search_ = nullptr;
    QListWidget* list_ = nullptr;
};

}  // namespace plovik::ui
