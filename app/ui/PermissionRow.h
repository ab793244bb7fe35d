#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace plovik::ui {

// One permission with its state, and the button that suits the state: request it and
// open its settings while it is missing, open its settings once granted.
class PermissionRow : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kOpenSettingsLabel = "Open Desktop Settings";
    static constexpr const char* kRequestLabel = "Request and Open Desktop Settings";

    PermissionRow(const QString& title, const QString& detail, std::function<void()> request,
                  std::function<void()> openSettings, QWidget* parent = nullptr);

    void setGranted(bool granted);
    bool isGranted() const { return granted_; }
    QString stateText() const;
    QPushButton* button() { return button_; }

  private:
    std::function<void()> request_;
    std::function<void()> openSettings_;
    bool granted_ = false;
    QLabel* icon_ = nullptr;
    QLabel* state_ = nullptr;
    QPushButton* button_ = nullptr;
};

}  // namespace plovik::ui
