#pragma once

#include <QWidget>

#include "core/settings/EnabledApplication.h"

namespace plovik::ui {

// One application of the list: icon, name above identifier (and, where Plovik cannot
// always correct there, why in a few words), and its status badge.
class ApplicationRowWidget : public QWidget {
    Q_OBJECT
  public:
    struct Status {
        QString label;
        int symbol;
        QColor color;
    };

    explicit ApplicationRowWidget(const EnabledApplication& application, QWidget* parent = nullptr);

    // The first matching state: off, automatic, manual, or not processed.
    static Status statusOf(const EnabledApplication& application);
    // The stored icon, or a plain application symbol when it is missing or unreadable.
    static QPixmap iconOf(const EnabledApplication& application, int size);
};

}  // namespace plovik::ui
