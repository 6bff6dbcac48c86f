#pragma once
// The update-check window: this program's version against the latest one, the links of the version
// information and the description of what is new. Also the automatic check the main window runs once
// it is idle after the start.

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTextBrowser;

class TfmVersionCheck : public QDialog {
    Q_OBJECT

public:
    // With a list and a result other than 0 the window shows that result ("Update Information");
    // otherwise it offers "&Check Now" ("Check for Update").
    TfmVersionCheck(QWidget* owner, const QStringList* info, int result);
    // Fills the labels for the result code (0 to 3) of the version information `info`.
    void ShowResult(const QStringList& info, int result);

public slots:
    void reject() override;

private:
    void CheckNow();

    QLabel* lbYourVersion;
    QLabel* lbLatestVersion;
    QLabel* lbDownload;
    QLabel* lbInfo;
    QLabel* lbWhatsNew;
    QLabel* lbSupportEmail;
    QLabel* lbStatus;
    QTextBrowser* htDescription;
    QPushButton* btCheckNow;
    QPushButton* btClose;
    bool Checking = false;
};

// Shows the update-check window modally over `owner`, where it was last placed. `info` may be null.
void ShowVersionCheck(QWidget* owner, const QStringList* info, int result);

// The automatic update check at start, for the main window's first idle moment: when it is due and the
// machine is online the version information is fetched silently, and a newer version or build leads to
// the question whether to see more (Yes shows the update-check window).
void CheckForUpdateOnStart(QWidget* owner);
