#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QWidget>
#include <optional>

#include "core/settings/SettingsStore.h"

namespace plovik::ui {

// The switches and the threshold of one application. Every control reads the entry as
// the settings hold it now, so that changes made elsewhere show at once.
class ApplicationDetailView : public QWidget {
    Q_OBJECT
  public:
    ApplicationDetailView(SettingsStore& store, QWidget* parent = nullptr);

    // The application shown; refresh() follows its entry in the settings.
    void showApplication(const EnabledApplication& application);
    void refresh();

    QCheckBox* processText() { return processText_; }
    QCheckBox* automaticCorrection() { return automaticCorrection_; }
    QCheckBox* manualCorrection() { return manualCorrection_; }
    QCheckBox* switchInputSource() { return switchInputSource_; }
    QSlider* threshold() { return threshold_; }
    QLabel* thresholdValue() { return thresholdValue_; }
    QWidget* thresholdBlock() { return thresholdBlock_; }
    // Why Plovik cannot always correct in this application; hidden where it can.
    QWidget* limitationSection() { return limitationSection_; }
    QLabel* limitation() { return limitation_; }

  private:
    // The settings' entry with this identifier, or the copy taken when it was shown.
    EnabledApplication current() const;
    void change(const std::function<void(EnabledApplication&)>& edit);

    SettingsStore& store_;
    std::optional<EnabledApplication> application_;
    QLabel* name_ = nullptr;
    QLabel* identifier_ = nullptr;
    QWidget* limitationSection_ = nullptr;
    QLabel* limitation_ = nullptr;
    QCheckBox* processText_ = nullptr;
    QCheckBox* automaticCorrection_ = nullptr;
    QCheckBox* manualCorrection_ = nullptr;
    QCheckBox* switchInputSource_ = nullptr;
    QWidget* thresholdBlock_ = nullptr;
    QSlider* threshold_ = nullptr;
    QLabel* thresholdValue_ = nullptr;
};

}  // namespace plovik::ui
