#pragma once
// The main window.

#include <QMainWindow>

class TfmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TfmMain(QWidget* parent = nullptr);
};
