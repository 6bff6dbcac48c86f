#pragma once
// One running program per user: the first start holds a lock named after the product and the user and
// listens for the starts that follow; a later start asks it to raise its window and ends.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

class TInstanceChecker : public QObject {
    Q_OBJECT

public:
    explicit TInstanceChecker(const QString& name, QObject* parent = nullptr);
    ~TInstanceChecker() override;

    // True unless another instance holds the name. Any failure to find out counts as the first
    // instance, so that the program always starts.
    bool IsFirstInstance();
    // Asks the instance that holds the name to come to the front; false when none answered.
    bool ActivateRunningInstance(int timeoutMs = 2000) const;

signals:
    // A later start asked this instance to raise its window.
    void ActivationRequested();

private:
    void ReadRequest();
    QString FServerName;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer FServer;
};
