#pragma once

#include <QObject>
#include <vector>

#include "app/ui/UiContext.h"
#include "core/support/Published.h"

namespace plovik::ui {

// Turns every change the settings store, the coordinator and the input source service
// publish into one Qt signal on the main thread. Changes arriving together are
// delivered once, after the code that made them has returned, so that a window never
// rebuilds itself inside one of its own handlers.
class CoordinatorBridge : public QObject {
    Q_OBJECT
  public:
    explicit CoordinatorBridge(UiContext& context, QObject* parent = nullptr);

  signals:
    void changed();

  private:
    void schedule();

    std::vector<Subscription> subscriptions_;
    bool scheduled_ = false;
};

}  // namespace plovik::ui
