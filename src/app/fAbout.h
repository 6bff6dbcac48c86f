#pragma once
// The about box: product name, version and build, contact links, and a page of the maker's products.

#include <QDialog>

class TfmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfmAbout(QWidget* owner = nullptr);
    // Shows the box modally over `owner`, where it was last placed.
    static int Execute(QWidget* owner);
};
