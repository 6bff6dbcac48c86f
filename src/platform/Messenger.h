#pragma once
// Message boxes, busy cursor and the clock as seen by the core. The widgets library installs real
// implementations; tests and the command-line tool install recording or fixed ones.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

// Answers of the message boxes (OK 1, Cancel 2 as modal results; Yes and No as the platform's).
enum class TMessageAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// Shows notices, errors and questions to the user; captioned with the application title by the UI.
class TMessenger {
public:
    virtual ~TMessenger() = default;
    virtual void ShowInfo(const QString& text) = 0;
    virtual void ShowError(const QString& text) = 0;
    virtual TMessageAnswer AskYesNo(const QString& text) = 0;
    virtual TMessageAnswer AskYesNoCancel(const QString& text) = 0;
};

// Keeps every message and answers questions from a queue (No / Cancel when it is empty).
class TRecordingMessenger : public TMessenger {
public:
    QStringList Infos;
    QStringList Errors;
    QStringList Questions;
    std::deque<TMessageAnswer> Answers;

    void ShowInfo(const QString& text) override { Infos << text; }
    void ShowError(const QString& text) override { Errors << text; }
    TMessageAnswer AskYesNo(const QString& text) override { return Answer(text, TMessageAnswer::No); }
    TMessageAnswer AskYesNoCancel(const QString& text) override
    {
        return Answer(text, TMessageAnswer::Cancel);
    }
    void Reset();

private:
    TMessageAnswer Answer(const QString& text, TMessageAnswer fallback);
};

// The messenger in use; by default one that writes to standard error and answers No / Cancel.
TMessenger& Messenger();
// Installs another messenger (not owned); nullptr restores the default.
void SetMessenger(TMessenger* messenger);

// Shows the busy cursor for its lifetime; nests.
class TBusyCursor {
public:
    using THook = std::function<void(bool busy)>;
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
    // Called with true when the first busy cursor starts and false when the last one ends.
    static void SetHook(THook hook);
};

// The current local time; tests pin it.
QDateTime Now();
void SetNowForTesting(const QDateTime& fixed);  // an invalid value returns to the real clock
