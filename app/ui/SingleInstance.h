#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace plovik::ui {

// One running Plovik per user: the first start listens on a local socket in the user's
// runtime folder; a later start finds it, asks it to come to the front and exits.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);

    // The socket of this user's running copy, in $XDG_RUNTIME_DIR (or the temporary
    // folder, named after the user id, where there is none).
    static QString defaultSocketPath();

    // True when another copy answered and was asked to come to the front.
    bool notifyRunningInstance();
    // Starts listening; false (with the reason in errorString()) when that fails.
    bool listen();
    QString errorString() const { return server_.errorString(); }

  signals:
    void activationRequested();

  private:
    QString socketPath_;
    QLocalServer server_;
};

}  // namespace plovik::ui
