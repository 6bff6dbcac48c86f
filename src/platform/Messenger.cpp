#include "platform/Messenger.h"

#include <cstdio>

namespace {

class TStderrMessenger : public TMessenger {
public:
    void ShowInfo(const QString& text) override { Print(text); }
    void ShowError(const QString& text) override { Print(text); }
    TMessageAnswer AskYesNo(const QString& text) override
    {
        Print(text);
        return TMessageAnswer::No;
    }
    TMessageAnswer AskYesNoCancel(const QString& text) override
    {
        Print(text);
        return TMessageAnswer::Cancel;
    }

private:
    static void Print(const QString& text)
    {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"))));
    }
};

TStderrMessenger DefaultMessenger;
TMessenger* CurrentMessenger = &DefaultMessenger;
TBusyCursor::THook BusyHook;
int BusyDepth = 0;
QDateTime FixedNow;

}  // namespace

void TRecordingMessenger::Reset()
{
    Infos.clear();
    Errors.clear();
    Questions.clear();
    Answers.clear();
}

TMessageAnswer TRecordingMessenger::Answer(const QString& text, TMessageAnswer fallback)
{
    Questions << text;
    if (Answers.empty())
        return fallback;
    const TMessageAnswer answer = Answers.front();
    Answers.pop_front();
    return answer;
}

TMessenger& Messenger() { return *CurrentMessenger; }

void SetMessenger(TMessenger* messenger) { CurrentMessenger = messenger ? messenger : &DefaultMessenger; }

TBusyCursor::TBusyCursor()
{
    if (BusyDepth++ == 0 && BusyHook)
        BusyHook(true);
}

TBusyCursor::~TBusyCursor()
{
    if (--BusyDepth == 0 && BusyHook)
        BusyHook(false);
}

void TBusyCursor::SetHook(THook hook) { BusyHook = std::move(hook); }

QDateTime Now() { return FixedNow.isValid() ? FixedNow : QDateTime::currentDateTime(); }

void SetNowForTesting(const QDateTime& fixed) { FixedNow = fixed; }
